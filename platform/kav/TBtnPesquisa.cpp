#include "TBtnPesquisa.h"

#include "Events.h"
#include "SearchGlyph.h"

#include <QKeyEvent>

namespace {
constexpr int kButtonSide = 21;
constexpr int kGlyphSide = 15;
} // namespace

TBtnPesquisa::TBtnPesquisa(QWidget* parent) : QToolButton(parent)
{
    setFixedSize(kButtonSide, kButtonSide);
    setIcon(Kav::searchGlyph(kGlyphSide));
    setIconSize(QSize(kGlyphSide, kGlyphSide));
    setAutoRaise(true);
    // Pressing it must not take the focus from the code box: that box's leave check would run
    // before the lookup.
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QToolButton::clicked, this, [this] { Execute(); });
}

void TBtnPesquisa::setAssociate(QObject* control)
{
    if (m_associate)
        m_associate->removeEventFilter(this);
    m_associate = control;
    if (m_associate)
        m_associate->installEventFilter(this);
}

void TBtnPesquisa::Execute()
{
    Kav::runHandler([this] {
        if (!Kav::fireEvent(this, "OnClick", Q_ARG(QObject*, this)))
            Pesquisa();
    });
}

bool TBtnPesquisa::Pesquisa()
{
    bool proceed = true;
    Kav::fireEvent(this, "OnBeforePesq", Q_ARG(QObject*, this), Q_ARG(bool&, proceed));
    return false;
}

bool TBtnPesquisa::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_associate && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F9 && isEnabled()) {
        Execute();
        return true;
    }
    return QToolButton::eventFilter(watched, event);
}
