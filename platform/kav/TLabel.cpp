#include "TLabel.h"

#include "ControlEvents.h"
#include "LayoutLoader.h"

#include <QMouseEvent>

TLabel::TLabel(QWidget* parent) : QLabel(parent) {}

void TLabel::setCaption(const QString& caption)
{
    setText(caption);
    fitText();
}

void TLabel::setAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    fitText();
}

void TLabel::fitText()
{
    // The size a layout gives was fitted when it was designed; it is kept as written.
    if (m_autoSize && !Kav::LayoutLoader::isLoading())
        adjustSize();
}

void TLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Kav::fireNotify(this, "OnClick");
}
