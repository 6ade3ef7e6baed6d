#pragma once
// Turns a value into the text a report shows, Brazilian style ("1.234,5", "03/02/2025"), by a
// pattern: numbers "#,##0.00" (0 a digit always shown, # a digit shown when significant, a comma
// in the integer part groups thousands, anything else literal), dates by Qt's date patterns
// with Portuguese day and month names ("ddd dd/MM/yyyy").

#include <QString>
#include <QVariant>

namespace Qr {

class ValueFormatter
{
public:
    // Decimals of a number printed without a pattern (trailing zeros dropped).
    static constexpr int DefaultDecimals = 2;
    // The mark after a figure some ingredient lacks a value for ("0,4*").
    static inline const QString IncompleteMark = QStringLiteral("*");
    // What a figure prints where no ingredient has a value ("sem dado"): the mark alone would read as a
    // figure lost in print.
    static inline const QString NoDataMark = QStringLiteral("s/d");

    // A null value is an empty text. Without a pattern: numbers with up to two decimals, dates
    // dd/MM/yyyy, date-times with the time when it is not midnight.
    static QString format(const QVariant& value, const QString& pattern = QString());

    static bool isNumeric(const QVariant& value);
    static bool isDate(const QVariant& value);

private:
    static QString formatNumber(double number, const QString& pattern);
};

} // namespace Qr
