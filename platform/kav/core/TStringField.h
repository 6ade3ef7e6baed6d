#pragma once
// A text column; FixedChar marks a fixed-width text (its value keeps no trailing blanks).

#include "TField.h"

class TStringField : public TField
{
    Q_OBJECT
    Q_PROPERTY(bool FixedChar READ FixedChar WRITE setFixedChar)

public:
    explicit TStringField(QObject* parent = nullptr) : TField(parent) {}

    bool FixedChar() const { return m_fixedChar; }
    void setFixedChar(bool fixed) { m_fixedChar = fixed; }

    Kav::FieldDef::Type dataType() const override;
    QVariant toFieldValue(const QVariant& raw) const override;
    // A text holding a date, "dd/MM/yyyy" (as the client shows dates) or ISO "yyyy-MM-dd",
    // optionally with a time. Empty reads as an invalid date-time; other text throws
    // Kav::Exception.
    QDateTime AsDateTime() const override;

protected:
    int defaultSize() const override;
    int defaultDisplayWidth() const override { return Size(); }

private:
    bool m_fixedChar = false;
};
