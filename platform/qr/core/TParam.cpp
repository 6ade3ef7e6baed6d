#include "TParam.h"

#include "KavException.h"

#include <QLocale>

namespace Qr {

namespace {

struct TypeName
{
    TFieldType type;
    const char* name;
};

constexpr TypeName kTypeNames[] = {
    {TFieldType::ftString, "string"}, {TFieldType::ftInteger, "integer"},   {TFieldType::ftFloat, "float"},
    {TFieldType::ftDate, "date"},     {TFieldType::ftDateTime, "datetime"},
};

// Dates typed by people here are day first; stored ones are ISO.
const QStringList kDateFormats = {QStringLiteral("dd/MM/yyyy"), QStringLiteral("yyyy-MM-dd")};

QDateTime dateTimeFrom(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime();
    case QMetaType::QDate:
        return value.toDate().startOfDay();
    default:
        break;
    }
    const QString text = value.toString().trimmed();
    for (const QString& format : kDateFormats) {
        const QDate date = QDate::fromString(text.left(format.size()), format);
        if (date.isValid())
            return text.size() > format.size() ? QDateTime::fromString(text, Qt::ISODate) : date.startOfDay();
    }
    return QDateTime::fromString(text, Qt::ISODate);
}

TFieldType typeOfValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return TFieldType::ftDateTime;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return TFieldType::ftInteger;
    case QMetaType::Double:
    case QMetaType::Float:
        return TFieldType::ftFloat;
    default:
        return TFieldType::ftString;
    }
}

} // namespace

QString fieldTypeName(TFieldType type)
{
    for (const auto& entry : kTypeNames)
        if (entry.type == type)
            return QString::fromLatin1(entry.name);
    return {};
}

TFieldType fieldTypeFromName(const QString& name)
{
    for (const auto& entry : kTypeNames)
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.type;
    return TFieldType::ftUnknown;
}

TParam::TParam(const QString& name, TFieldType declaredType)
    : m_name(name), m_declaredType(declaredType), m_type(declaredType)
{}

bool TParam::IsNull() const
{
    return m_value.isNull();
}

QVariant TParam::converted(const QVariant& value, TFieldType type) const
{
    if (value.isNull())
        return {};
    const auto invalid = [&] {
        return Kav::Exception(QStringLiteral("Valor '%1' inválido para o parâmetro %2 (%3).")
                                  .arg(value.toString(), m_name, fieldTypeName(type)));
    };
    bool ok = true;
    switch (type) {
    case TFieldType::ftUnknown:
    case TFieldType::ftString:
        return value.toString();
    case TFieldType::ftInteger: {
        const qlonglong number = value.toString().trimmed().toLongLong(&ok);
        if (!ok)
            throw invalid();
        return number;
    }
    case TFieldType::ftFloat: {
        const QString text = value.toString().trimmed();
        double number = text.toDouble(&ok);
        if (!ok)
            number = QLocale(QLocale::Portuguese, QLocale::Brazil).toDouble(text, &ok);
        if (!ok)
            throw invalid();
        return number;
    }
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: {
        const QDateTime dateTime = dateTimeFrom(value);
        if (!dateTime.isValid())
            throw invalid();
        return type == TFieldType::ftDate ? QVariant(dateTime.date()) : QVariant(dateTime);
    }
    }
    return value;
}

void TParam::setValue(const QVariant& value)
{
    const TFieldType type = m_declaredType != TFieldType::ftUnknown ? m_declaredType : typeOfValue(value);
    m_value = converted(value, type);
    m_type = type;
}

void TParam::setAsString(const QString& text)
{
    m_type = TFieldType::ftString;
    m_value = text;
}

void TParam::Clear()
{
    m_value.clear();
}

QString TParam::AsString() const
{
    switch (m_value.typeId()) {
    case QMetaType::QDate:
        return m_value.toDate().toString(kDateFormats.first());
    case QMetaType::QDateTime: {
        const QDateTime dateTime = m_value.toDateTime();
        return dateTime.time() == QTime(0, 0) ? dateTime.date().toString(kDateFormats.first())
                                              : dateTime.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    }
    default:
        return m_value.toString();
    }
}

QDateTime TParam::AsDateTime() const
{
    return m_value.isNull() ? QDateTime() : dateTimeFrom(m_value);
}

QVariant TParam::boundValue() const
{
    if (m_value.isNull())
        return {};
    if (m_value.typeId() == QMetaType::QString && m_value.toString().isEmpty())
        return {};
    return m_value;
}

} // namespace Qr
