#include "TParameter.h"

#include "KavException.h"

#include <QDateTime>
#include <QMetaEnum>

namespace {

QMetaType metaTypeOf(TParameter::TFieldType type, const QVariant& value)
{
    switch (type) {
    case TParameter::ftUnknown:
        return value.isValid() ? value.metaType() : QMetaType::fromType<QString>();
    case TParameter::ftString:
        return QMetaType::fromType<QString>();
    case TParameter::ftInteger:
        return QMetaType::fromType<qlonglong>();
    case TParameter::ftFloat:
        return QMetaType::fromType<double>();
    case TParameter::ftDate:
        return QMetaType::fromType<QDate>();
    case TParameter::ftDateTime:
        return QMetaType::fromType<QDateTime>();
    case TParameter::ftBoolean:
        return QMetaType::fromType<bool>();
    }
    return QMetaType::fromType<QString>();
}

} // namespace

TParameter::TParameter(QObject* parent) : QObject(parent) {}

void TParameter::setValue(const QVariant& value)
{
    m_value = value;
}

bool TParameter::IsNull() const
{
    return m_value.isNull() || (m_value.typeId() == QMetaType::QString && m_value.toString().isEmpty());
}

QVariant TParameter::boundValue() const
{
    const QMetaType type = metaTypeOf(m_dataType, m_value);
    if (IsNull())
        return QVariant(type);
    if (m_dataType == ftUnknown)
        return m_value;
    QVariant converted = m_value;
    if (m_dataType == ftDate && m_value.typeId() == QMetaType::QDateTime)
        return m_value.toDateTime().date();
    if (!converted.convert(type))
        throw Kav::Exception(
            QStringLiteral("Parameter %1: \"%2\" cannot be bound as %3.")
                .arg(m_paramName, m_value.toString(),
                     QString::fromLatin1(QMetaEnum::fromType<TFieldType>().valueToKey(m_dataType))));
    return converted;
}
