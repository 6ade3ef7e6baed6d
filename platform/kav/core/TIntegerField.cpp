#include "TIntegerField.h"

namespace {
constexpr int IntegerDisplayWidth = 10;
}

QVariant TIntegerField::toFieldValue(const QVariant& raw) const
{
    if (raw.isNull())
        return {};
    bool ok = false;
    const qlonglong value = raw.toLongLong(&ok);
    if (!ok)
        badValue(raw);
    return value;
}

int TIntegerField::defaultDisplayWidth() const
{
    return IntegerDisplayWidth;
}
