#include "TPanel.h"

#include <QPainter>

TPanel::TPanel(QWidget* parent) : QFrame(parent)
{
    updateFrame();
}

void TPanel::setCaption(const QString& caption)
{
    m_caption = caption;
    update();
}

void TPanel::setBevelOuter(BevelCut cut)
{
    m_outer = cut;
    updateFrame();
}

void TPanel::setBevelInner(BevelCut cut)
{
    m_inner = cut;
    updateFrame();
}

void TPanel::updateFrame()
{
    const BevelCut shown = m_outer != bvNone ? m_outer : m_inner;
    switch (shown) {
    case bvRaised:
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    case bvLowered:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    case bvNone:
    case bvSpace:
        setFrameStyle(QFrame::NoFrame);
        break;
    }
}

void TPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (m_caption.isEmpty())
        return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, m_caption);
}
