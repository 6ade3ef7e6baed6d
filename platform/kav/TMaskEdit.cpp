#include "TMaskEdit.h"

TMaskEdit::TMaskEdit(QWidget* parent) : TEdit(parent) {}

void TMaskEdit::setEditMask(const QString& mask)
{
    m_mask = EditMask(mask);
    setInputMask(m_mask.inputMask());
}

QString TMaskEdit::Text() const
{
    return m_mask.isEmpty() ? text() : m_mask.textOf(displayText());
}
