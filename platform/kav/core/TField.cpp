#include "TField.h"

#include "KavException.h"
#include "TDataSet.h"

TField::TField(QObject* parent) : QObject(parent) {}

TDataSet* TField::DataSet() const
{
    return qobject_cast<TDataSet*>(parent());
}

QVariant TField::AsVariant() const
{
    const TDataSet* dataSet = DataSet();
    if (!dataSet)
        throw Kav::Exception(QStringLiteral("Field %1 belongs to no data set.").arg(m_fieldName));
    return dataSet->currentValue(this);
}

bool TField::IsNull() const
{
    return AsVariant().isNull();
}

QString TField::AsString() const
{
    return AsVariant().toString();
}

qlonglong TField::AsInteger() const
{
    return AsVariant().toLongLong();
}

double TField::AsFloat() const
{
    return AsVariant().toDouble();
}

QDateTime TField::AsDateTime() const
{
    return AsVariant().toDateTime();
}

bool TField::AsBoolean() const
{
    return AsVariant().toBool();
}

void TField::badValue(const QVariant& raw) const
{
    throw Kav::Exception(
        QStringLiteral("\"%1\" is not a valid value for the field %2.").arg(raw.toString(), m_fieldName));
}
