#include "TFloatField.h"

namespace {
constexpr int FloatDisplayWidth = 10;
constexpr int SignificantDigits = 15; // what a double holds without noise
} // namespace

QVariant TFloatField::toFieldValue(const QVariant& raw) const
{
    if (raw.isNull())
        return {};
    bool ok = false;
    const double value = raw.toDouble(&ok);
    if (!ok)
        badValue(raw);
    return value;
}

QString TFloatField::AsString() const
{
    const QVariant value = AsVariant();
    return value.isNull() ? QString() : QString::number(value.toDouble(), 'g', SignificantDigits);
}

int TFloatField::defaultDisplayWidth() const
{
    return FloatDisplayWidth;
}
