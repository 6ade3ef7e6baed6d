#pragma once
// A date-and-time column; shown as dd/MM/yyyy, with the time only when it is not midnight.

#include "TField.h"

class TDateTimeField : public TField
{
    Q_OBJECT

public:
    explicit TDateTimeField(QObject* parent = nullptr) : TField(parent) {}

    Kav::FieldDef::Type dataType() const override { return Kav::FieldDef::Type::DateTime; }
    // Accepts date-times, dates, and ISO texts (SQLite stores dates as text).
    QVariant toFieldValue(const QVariant& raw) const override;
    QString AsString() const override;

protected:
    int defaultDisplayWidth() const override;
};
