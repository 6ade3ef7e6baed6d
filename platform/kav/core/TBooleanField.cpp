#include "TBooleanField.h"

namespace {
constexpr int BooleanDisplayWidth = 5;
}

QVariant TBooleanField::toFieldValue(const QVariant& raw) const
{
    if (raw.isNull())
        return {};
    if (raw.typeId() == QMetaType::QString) {
        const QString text = raw.toString().trimmed().toUpper();
        if (text == QLatin1String("S") || text == QLatin1String("TRUE") || text == QLatin1String("1"))
            return true;
        if (text == QLatin1String("N") || text == QLatin1String("FALSE") || text == QLatin1String("0"))
            return false;
        badValue(raw);
    }
    if (!raw.canConvert<bool>())
        badValue(raw);
    return raw.toBool();
}

int TBooleanField::defaultDisplayWidth() const
{
    return BooleanDisplayWidth;
}
