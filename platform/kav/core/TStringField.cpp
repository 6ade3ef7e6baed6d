#include "TStringField.h"

#include "KavException.h"

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

QDateTime TStringField::AsDateTime() const
{
    const QString text = AsString().trimmed();
    if (text.isEmpty())
        return {};
    for (const char* format : {"dd/MM/yyyy", "dd/MM/yyyy hh:mm:ss", "dd/MM/yyyy hh:mm"}) {
        const QDateTime value = QDateTime::fromString(text, QLatin1String(format));
        if (value.isValid())
            return value;
    }
    QDateTime value = QDateTime::fromString(text, Qt::ISODate);
    if (!value.isValid())
        value = QDate::fromString(text, Qt::ISODate).startOfDay();
    if (!value.isValid())
        throw Kav::Exception(QStringLiteral("'%1' is not a valid date (field %2).").arg(text, FieldName()));
    return value;
}
