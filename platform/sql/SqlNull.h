#pragma once
// Whether a value is stored as NULL, as Qt's SQL drivers decide when binding it: an empty variant,
// or one holding a null text.

#include <QString>
#include <QVariant>

namespace Kav {

inline bool isSqlNull(const QVariant& value)
{
    return value.isNull() || (value.metaType().id() == QMetaType::QString && value.toString().isNull());
}

} // namespace Kav
