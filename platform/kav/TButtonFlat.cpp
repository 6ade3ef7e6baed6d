#include "TButtonFlat.h"

#include "Events.h"
#include "SearchGlyph.h"

namespace {
constexpr int kFlatGlyphSide = 16;
} // namespace

TButtonFlat::TButtonFlat(QWidget* parent) : QToolButton(parent)
{
    setAutoRaise(true);
    // Pressing it must not take the focus from the edit being filled, or that edit's leave
    // check would run first.
    setFocusPolicy(Qt::NoFocus);
    showGlyphWhenNoCaption();
    connect(this, &QToolButton::clicked, this,
            [this] { Kav::runFromQt([this] { Kav::fireEvent(this, "OnClick", Q_ARG(QObject*, this)); }); });
}

void TButtonFlat::setCaption(const QString& caption)
{
    setText(caption);
    showGlyphWhenNoCaption();
}

void TButtonFlat::showGlyphWhenNoCaption()
{
    setIcon(text().isEmpty() ? Kav::searchGlyph(kFlatGlyphSide) : QIcon());
    setToolButtonStyle(text().isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
}
