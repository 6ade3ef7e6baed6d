#include "ValueFormatter.h"

#include <cmath>
#include <QDateTime>
#include <QLocale>

namespace Qr {

namespace {

const QLocale& brazil()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

// Significant digits of a double that are the value's own; spreadsheets show a number rounded
// from these, so a tie such as 2.675 (stored as 2.67499999...) rounds up there as here.
constexpr int kSignificantDigits = 15;

// |number| with `decimals` decimals (a point, no grouping), rounded half away from zero on its
// significant digits: rounded once, from the value itself.
QString roundedMagnitude(double number, int decimals)
{
    const double magnitude = std::abs(number);
    const int integerDigits = magnitude >= 1 ? int(std::floor(std::log10(magnitude))) + 1 : 1;
    const int precise = std::max(decimals, kSignificantDigits - integerDigits);
    QString digits = QString::number(magnitude, 'f', precise);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    qsizetype whole = point < 0 ? digits.size() : point;
    digits.remove(QLatin1Char('.'));
    const qsizetype kept = whole + decimals;
    const bool up = digits.size() > kept && digits[kept] >= QLatin1Char('5');
    digits.truncate(kept);
    qsizetype i = kept - 1;
    for (; up && i >= 0 && digits[i] == QLatin1Char('9'); --i)
        digits[i] = QLatin1Char('0');
    if (up && i >= 0)
        digits[i] = QChar(digits[i].unicode() + 1);
    if (up && i < 0) {
        digits.prepend(QLatin1Char('1'));
        ++whole;
    }
    return decimals == 0 ? digits : digits.left(whole) + QLatin1Char('.') + digits.mid(whole);
}

bool isNumberPatternChar(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('.') || c == QLatin1Char(',');
}

} // namespace

bool ValueFormatter::isNumeric(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool ValueFormatter::isDate(const QVariant& value)
{
    return value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime;
}

QString ValueFormatter::format(const QVariant& value, const QString& pattern)
{
    if (value.isNull())
        return {};
    if (isDate(value)) {
        const QDateTime dateTime =
            value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
        if (!pattern.isEmpty())
            return brazil().toString(dateTime, pattern);
        const QString day = dateTime.date().toString(QStringLiteral("dd/MM/yyyy"));
        return dateTime.time() == QTime(0, 0) ? day : day + dateTime.toString(QStringLiteral(" hh:mm"));
    }
    bool numeric = isNumeric(value);
    double number = 0;
    if (numeric) {
        number = value.toDouble();
    } else if (!pattern.isEmpty()) {
        number = value.toString().toDouble(&numeric);
    }
    if (!numeric)
        return value.toString();
    if (!pattern.isEmpty())
        return formatNumber(number, pattern);
    if (value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Float)
        return QString::number(value.toLongLong());
    return formatNumber(number, QStringLiteral("#,##0.") + QString(DefaultDecimals, QLatin1Char('#')));
}

QString ValueFormatter::formatNumber(double number, const QString& pattern)
{
    const qsizetype start =
        std::find_if(pattern.begin(), pattern.end(), isNumberPatternChar) - pattern.begin();
    qsizetype end = start;
    while (end < pattern.size() && isNumberPatternChar(pattern[end]))
        ++end;
    const QString numberPart = pattern.mid(start, end - start);
    const qsizetype point = numberPart.indexOf(QLatin1Char('.'));
    const QString integerPart = point < 0 ? numberPart : numberPart.left(point);
    const QString decimalPart = point < 0 ? QString() : numberPart.mid(point + 1);

    const int maxDecimals = int(decimalPart.size());
    const int minDecimals = int(decimalPart.count(QLatin1Char('0')));
    const int minIntegerDigits = int(integerPart.count(QLatin1Char('0')));
    const bool grouped = integerPart.contains(QLatin1Char(','));

    const QString digits = roundedMagnitude(number, maxDecimals);
    const bool zero = std::all_of(digits.cbegin(), digits.cend(),
                                  [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('.'); });
    QString integerDigits = digits.section(QLatin1Char('.'), 0, 0);
    QString decimals = digits.section(QLatin1Char('.'), 1);
    while (decimals.size() > minDecimals && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    if (integerDigits == QLatin1String("0") && minIntegerDigits == 0 && !decimals.isEmpty())
        integerDigits.clear();
    while (integerDigits.size() < minIntegerDigits)
        integerDigits.prepend(QLatin1Char('0'));
    if (grouped) {
        for (qsizetype i = integerDigits.size() - 3; i > 0; i -= 3)
            integerDigits.insert(i, brazil().groupSeparator());
    }
    QString text = integerDigits;
    if (!decimals.isEmpty())
        text += brazil().decimalPoint() + decimals;
    if (!zero && number < 0)
        text.prepend(QLatin1Char('-'));
    return pattern.left(start) + text + pattern.mid(end);
}

} // namespace Qr
