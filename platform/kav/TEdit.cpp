#include "TEdit.h"

#include "ControlEvents.h"

#include <QMouseEvent>

namespace {
// QLineEdit's own default: no practical limit.
constexpr int kUnlimited = 32767;
} // namespace

TEdit::TEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] { Kav::fireNotify(this, "OnChange"); });
}

void TEdit::setMaxLength(int length)
{
    m_maxLength = length;
    QLineEdit::setMaxLength(length > 0 ? length : kUnlimited);
}

void TEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Kav::fireNotify(this, "OnClick");
}
