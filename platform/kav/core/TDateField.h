#pragma once
// A date column: a date-time at midnight, shown as dd/MM/yyyy.

#include "TDateTimeField.h"

class TDateField : public TDateTimeField
{
    Q_OBJECT

public:
    explicit TDateField(QObject* parent = nullptr) : TDateTimeField(parent) {}

    Kav::FieldDef::Type dataType() const override { return Kav::FieldDef::Type::Date; }
    QVariant toFieldValue(const QVariant& raw) const override;
};
