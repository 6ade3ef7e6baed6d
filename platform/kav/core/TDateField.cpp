#include "TDateField.h"

QVariant TDateField::toFieldValue(const QVariant& raw) const
{
    const QVariant value = TDateTimeField::toFieldValue(raw);
    return value.isNull() ? value : QVariant(value.toDateTime().date().startOfDay());
}
