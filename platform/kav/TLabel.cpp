#include "TLabel.h"

#include "ControlEvents.h"

#include <QMouseEvent>

TLabel::TLabel(QWidget* parent) : QLabel(parent)
{
}

void TLabel::setCaption(const QString& caption)
{
    setText(caption);
    if (m_autoSize)
        adjustSize();
}

void TLabel::setAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    if (autoSize)
        adjustSize();
}

void TLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Kav::fireNotify(this, "OnClick");
}
