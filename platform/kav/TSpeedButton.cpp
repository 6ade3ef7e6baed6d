#include "TSpeedButton.h"

#include "ControlEvents.h"
#include "Events.h"
#include "KavException.h"

#include <QPixmap>

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(this, &QAbstractButton::clicked, this, [this] { Kav::runFromQt([this] { Click(); }); });
}

void TSpeedButton::setCaption(const QString& caption)
{
    setText(caption);
}

void TSpeedButton::setGlyph(const QByteArray& data)
{
    QPixmap probe;
    if (!data.isEmpty() && !probe.loadFromData(data))
        throw Kav::Exception(QStringLiteral("the glyph of %1 is not an image").arg(objectName()));
    m_glyph = data;
    updateIcon();
}

void TSpeedButton::setNumGlyphs(int count)
{
    m_numGlyphs = qMax(1, count);
    updateIcon();
}

void TSpeedButton::updateIcon()
{
    QPixmap strip;
    if (m_glyph.isEmpty() || !strip.loadFromData(m_glyph)) {
        setIcon(QIcon());
        return;
    }
    // Glyphs share one image: normal first, then disabled.
    const int width = strip.width() / m_numGlyphs;
    QIcon icon(strip.copy(0, 0, width, strip.height()));
    if (m_numGlyphs > 1)
        icon.addPixmap(strip.copy(width, 0, width, strip.height()), QIcon::Disabled);
    setIcon(icon);
}

void TSpeedButton::Click()
{
    Kav::fireNotify(this, "OnClick");
    // Called by a handler, the click's error goes on to that handler.
    Kav::throwKeptError();
}
