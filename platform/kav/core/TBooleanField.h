#pragma once
// A true/false column.

#include "TField.h"

class TBooleanField : public TField
{
    Q_OBJECT

public:
    explicit TBooleanField(QObject* parent = nullptr) : TField(parent) {}

    Kav::FieldDef::Type dataType() const override { return Kav::FieldDef::Type::Boolean; }
    QVariant toFieldValue(const QVariant& raw) const override;

protected:
    int defaultDisplayWidth() const override;
};
