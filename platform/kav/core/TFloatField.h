#pragma once
// A numeric column with decimals.

#include "TField.h"

class TFloatField : public TField
{
    Q_OBJECT

public:
    explicit TFloatField(QObject* parent = nullptr) : TField(parent) {}

    Kav::FieldDef::Type dataType() const override { return Kav::FieldDef::Type::Float; }
    QVariant toFieldValue(const QVariant& raw) const override;
    QString AsString() const override;

protected:
    int defaultDisplayWidth() const override;
};
