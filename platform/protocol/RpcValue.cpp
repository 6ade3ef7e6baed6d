#include "RpcValue.h"

#include "RpcError.h"

#include <cmath>
#include <QDate>
#include <QDateTime>
#include <QJsonArray>

namespace Kav::Rpc {

namespace {

// Integers beyond 2^53 would silently lose digits in a JSON number.
constexpr qlonglong kLargestExactInteger = qlonglong(1) << 53;

const QLatin1String kDateTag("date");
const QLatin1String kDateTimeTag("datetime");
const QLatin1String kFloatTag("float");
const QLatin1String kPacketTag("packet");

[[noreturn]] void invalid(const QString& what)
{
    throw RpcError(InvalidParams, what);
}

QString dateText(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

QString dateTimeText(const QDateTime& dateTime)
{
    return dateTime.toString(Qt::ISODateWithMs);
}

QDate parseDate(const QJsonValue& json)
{
    const QDate date = QDate::fromString(json.toString(), Qt::ISODate);
    if (!json.isString() || !date.isValid())
        invalid(QStringLiteral("not an ISO 8601 date: %1").arg(json.toVariant().toString()));
    return date;
}

QDateTime parseDateTime(const QJsonValue& json)
{
    const QDateTime dateTime = QDateTime::fromString(json.toString(), Qt::ISODateWithMs);
    if (!json.isString() || !dateTime.isValid())
        invalid(QStringLiteral("not an ISO 8601 date-time: %1").arg(json.toVariant().toString()));
    return dateTime;
}

bool isExactInteger(double number)
{
    return std::isfinite(number) && std::trunc(number) == number &&
           std::fabs(number) <= double(kLargestExactInteger);
}

QJsonValue encodeInteger(qlonglong number)
{
    if (number > kLargestExactInteger || number < -kLargestExactInteger)
        invalid(QStringLiteral("integer %1 is too large to send").arg(number));
    return QJsonValue(double(number));
}

QJsonValue encodeFloat(double number)
{
    if (!std::isfinite(number))
        invalid(QStringLiteral("a float that is not a finite number cannot be sent"));
    return QJsonObject{{kFloatTag, number}};
}

struct TypeName
{
    FieldDef::Type type;
    QLatin1String name;
};

const TypeName kTypeNames[] = {
    {FieldDef::Type::String, QLatin1String("string")},
    {FieldDef::Type::FixedString, QLatin1String("fixedstring")},
    {FieldDef::Type::Integer, QLatin1String("integer")},
    {FieldDef::Type::Float, QLatin1String("float")},
    {FieldDef::Type::Boolean, QLatin1String("boolean")},
    {FieldDef::Type::Date, QLatin1String("date")},
    {FieldDef::Type::DateTime, QLatin1String("datetime")},
};

QString typeName(FieldDef::Type type)
{
    for (const TypeName& entry : kTypeNames)
        if (entry.type == type)
            return entry.name;
    return {};
}

FieldDef::Type typeFromName(const QString& name)
{
    for (const TypeName& entry : kTypeNames)
        if (entry.name == name)
            return entry.type;
    invalid(QStringLiteral("unknown field type \"%1\"").arg(name));
}

QJsonValue encodeCell(const FieldDef& field, const QVariant& value)
{
    if (value.isNull())
        return QJsonValue::Null;
    switch (field.type) {
    case FieldDef::Type::String:
    case FieldDef::Type::FixedString:
        return value.toString();
    case FieldDef::Type::Integer:
        return encodeInteger(value.toLongLong());
    case FieldDef::Type::Float: {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            invalid(QStringLiteral("field %1 holds a float that is not a finite number").arg(field.name));
        return number;
    }
    case FieldDef::Type::Boolean:
        return value.toBool();
    case FieldDef::Type::Date:
        return dateText(value.toDate());
    case FieldDef::Type::DateTime:
        return dateTimeText(value.toDateTime());
    }
    return QJsonValue::Null;
}

QVariant decodeCell(const FieldDef& field, const QJsonValue& json)
{
    if (json.isNull())
        return QVariant();
    const auto wrongType = [&] {
        invalid(QStringLiteral("field %1 expects a %2 value").arg(field.name, typeName(field.type)));
    };
    switch (field.type) {
    case FieldDef::Type::String:
    case FieldDef::Type::FixedString:
        if (!json.isString())
            wrongType();
        return json.toString();
    case FieldDef::Type::Integer:
        if (!json.isDouble() || !isExactInteger(json.toDouble()))
            wrongType();
        return qlonglong(json.toDouble());
    case FieldDef::Type::Float:
        if (!json.isDouble())
            wrongType();
        return json.toDouble();
    case FieldDef::Type::Boolean:
        if (!json.isBool())
            wrongType();
        return json.toBool();
    case FieldDef::Type::Date:
        return parseDate(json);
    case FieldDef::Type::DateTime:
        return parseDateTime(json);
    }
    return QVariant();
}

FieldDef decodeField(const QJsonValue& json)
{
    const QJsonObject object = json.toObject();
    const QJsonValue name = object.value(QLatin1String("name"));
    const QJsonValue size = object.value(QLatin1String("size"));
    if (!json.isObject() || !name.isString() || name.toString().isEmpty())
        invalid(QStringLiteral("a packet field needs a name"));
    if (!size.isUndefined() && (!size.isDouble() || !isExactInteger(size.toDouble()) || size.toDouble() < 0))
        invalid(QStringLiteral("field %1 has an invalid size").arg(name.toString()));
    FieldDef field;
    field.name = name.toString();
    field.type = typeFromName(object.value(QLatin1String("type")).toString());
    field.size = size.toInt();
    return field;
}

} // namespace

QJsonObject encodePacket(const DataPacket& packet)
{
    QJsonArray fields;
    for (const FieldDef& field : packet.fields)
        fields.append(QJsonObject{{QLatin1String("name"), field.name},
                                  {QLatin1String("type"), typeName(field.type)},
                                  {QLatin1String("size"), field.size}});
    QJsonArray rows;
    for (const QVariantList& row : packet.rows) {
        if (row.size() != packet.fields.size())
            invalid(QStringLiteral("a packet row has %1 values for %2 fields")
                        .arg(row.size())
                        .arg(packet.fields.size()));
        QJsonArray cells;
        for (int i = 0; i < row.size(); ++i)
            cells.append(encodeCell(packet.fields[i], row[i]));
        rows.append(cells);
    }
    return QJsonObject{{QLatin1String("fields"), fields}, {QLatin1String("rows"), rows}};
}

DataPacket decodePacket(const QJsonValue& json)
{
    const QJsonObject object = json.toObject();
    const QJsonValue fields = object.value(QLatin1String("fields"));
    const QJsonValue rows = object.value(QLatin1String("rows"));
    if (!json.isObject() || !fields.isArray() || !rows.isArray())
        invalid(QStringLiteral("a data packet needs the arrays \"fields\" and \"rows\""));
    DataPacket packet;
    for (const QJsonValue& field : fields.toArray())
        packet.fields.append(decodeField(field));
    for (const QJsonValue& row : rows.toArray()) {
        const QJsonArray cells = row.toArray();
        if (!row.isArray() || cells.size() != packet.fields.size())
            invalid(QStringLiteral("every packet row must hold %1 values").arg(packet.fields.size()));
        QVariantList values;
        values.reserve(cells.size());
        for (int i = 0; i < cells.size(); ++i)
            values.append(decodeCell(packet.fields[i], cells[i]));
        packet.rows.append(values);
    }
    return packet;
}

QJsonValue encodeValue(const QVariant& value)
{
    if (value.isNull())
        return QJsonValue::Null;
    if (value.metaType() == QMetaType::fromType<DataPacket>())
        return QJsonObject{{kPacketTag, encodePacket(value.value<DataPacket>())}};
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return encodeInteger(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        if (value.toULongLong() > qulonglong(kLargestExactInteger))
            invalid(QStringLiteral("integer %1 is too large to send").arg(value.toULongLong()));
        return encodeInteger(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return encodeFloat(value.toDouble());
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QChar:
        return value.toString();
    case QMetaType::QDate:
        return value.toDate().isValid() ? QJsonValue(QJsonObject{{kDateTag, dateText(value.toDate())}})
                                        : QJsonValue(QJsonValue::Null);
    case QMetaType::QDateTime:
        return value.toDateTime().isValid()
                   ? QJsonValue(QJsonObject{{kDateTimeTag, dateTimeText(value.toDateTime())}})
                   : QJsonValue(QJsonValue::Null);
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        QJsonArray array;
        for (const QVariant& element : value.toList())
            array.append(encodeValue(element));
        return array;
    }
    default:
        invalid(
            QStringLiteral("a value of type %1 cannot be sent").arg(QString::fromLatin1(value.typeName())));
    }
}

QString typeName(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("null");
    if (value.metaType() == QMetaType::fromType<DataPacket>())
        return QStringLiteral("data packet");
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return QStringLiteral("boolean");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QStringLiteral("integer");
    case QMetaType::Double:
    case QMetaType::Float:
        return QStringLiteral("float");
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QChar:
        return QStringLiteral("text");
    case QMetaType::QDate:
        return QStringLiteral("date");
    case QMetaType::QDateTime:
        return QStringLiteral("date-time");
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return QStringLiteral("array");
    default:
        return QStringLiteral("a value of no protocol type");
    }
}

QVariant decodeValue(const QJsonValue& json)
{
    switch (json.type()) {
    case QJsonValue::Null:
        return QVariant();
    case QJsonValue::Bool:
        return json.toBool();
    case QJsonValue::Double:
        // A bare number with a fraction is taken as a float; integers are exact.
        if (isExactInteger(json.toDouble()))
            return qlonglong(json.toDouble());
        return json.toDouble();
    case QJsonValue::String:
        return json.toString();
    case QJsonValue::Array: {
        QVariantList list;
        for (const QJsonValue& element : json.toArray())
            list.append(decodeValue(element));
        return list;
    }
    case QJsonValue::Object: {
        const QJsonObject object = json.toObject();
        if (object.size() != 1)
            invalid(QStringLiteral("a typed value is an object with exactly one tag"));
        const QString tag = object.begin().key();
        const QJsonValue inner = object.begin().value();
        if (tag == kDateTag)
            return parseDate(inner);
        if (tag == kDateTimeTag)
            return parseDateTime(inner);
        if (tag == kFloatTag) {
            if (!inner.isDouble())
                invalid(QStringLiteral("a float tag needs a number"));
            return inner.toDouble();
        }
        if (tag == kPacketTag)
            return QVariant::fromValue(decodePacket(inner));
        invalid(QStringLiteral("unknown value tag \"%1\"").arg(tag));
    }
    case QJsonValue::Undefined:
        break;
    }
    invalid(QStringLiteral("missing value"));
}

} // namespace Kav::Rpc
