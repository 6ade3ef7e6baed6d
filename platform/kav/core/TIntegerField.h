#pragma once
// A whole-number column.

#include "TField.h"

class TIntegerField : public TField
{
    Q_OBJECT

public:
    explicit TIntegerField(QObject* parent = nullptr) : TField(parent) {}

    Kav::FieldDef::Type dataType() const override { return Kav::FieldDef::Type::Integer; }
    QVariant toFieldValue(const QVariant& raw) const override;

protected:
    int defaultDisplayWidth() const override;
};
