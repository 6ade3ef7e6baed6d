#include "TEdit.h"

#include "ControlEvents.h"
#include "Events.h"

#include <QMouseEvent>

namespace {
// QLineEdit's own default: no practical limit.
constexpr int kUnlimited = 32767;
} // namespace

TEdit::TEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] { Kav::fireNotify(this, "OnChange"); });
}

void TEdit::setText(const QString& text)
{
    Kav::callIntoQt([&] { QLineEdit::setText(text); });
}

void TEdit::clear()
{
    Kav::callIntoQt([this] { QLineEdit::clear(); });
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
