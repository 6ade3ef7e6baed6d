#include "ValueFormatter.h"

#include <cmath>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

namespace Qr {

namespace {

constexpr int kDefaultDecimals = 2;

const QLocale& brazil()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
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
    QString text = brazil().toString(number, 'f', kDefaultDecimals);
    static const QRegularExpression trailingZeros(QStringLiteral(",?0+$"));
    text.remove(trailingZeros);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
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

    const double scale = std::pow(10.0, maxDecimals);
    const double rounded = std::round(std::abs(number) * scale) / scale;
    QString digits = QString::number(rounded, 'f', maxDecimals);
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
    if (rounded != 0 && number < 0)
        text.prepend(QLatin1Char('-'));
    return pattern.left(start) + text + pattern.mid(end);
}

} // namespace Qr
