#include "TStringField.h"

namespace {
constexpr int DefaultStringSize = 20;
}

Kav::FieldDef::Type TStringField::dataType() const
{
    return m_fixedChar ? Kav::FieldDef::Type::FixedString : Kav::FieldDef::Type::String;
}

int TStringField::defaultSize() const
{
    return DefaultStringSize;
}

QVariant TStringField::toFieldValue(const QVariant& raw) const
{
    if (raw.isNull())
        return {};
    QString text = raw.toString();
    // CHAR columns come back blank-padded on some engines.
    if (m_fixedChar)
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
    return text;
}
