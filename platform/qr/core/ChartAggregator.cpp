#include "ChartAggregator.h"

#include "ValueFormatter.h"

#include <QDate>
#include <QMap>

namespace Qr {

namespace {

QDate dateOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return {};
}

bool allDates(const QList<ChartAggregator::Point>& points)
{
    return std::all_of(points.cbegin(), points.cend(),
                       [](const ChartAggregator::Point& point) { return dateOf(point.label).isValid(); });
}

QDate weekOf(const QDate& day)
{
    return day.addDays(1 - day.dayOfWeek());
}

QDate monthOf(const QDate& day)
{
    return QDate(day.year(), day.month(), 1);
}

// A bar of a value, "sem dado" (and no height) where there is none.
ChartBar bar(const QString& label, const QVariant& value, const QString& format)
{
    if (value.isNull())
        return {label, 0, ValueFormatter::NoDataMark, false};
    return {label, value.toDouble(), ValueFormatter::format(value, format)};
}

// The mean of the known values of each period, in the order of the periods.
QList<ChartBar> means(const QList<ChartAggregator::Point>& points, QDate (*period)(const QDate&),
                      const QString& format, const QString& labelFormat)
{
    QMap<QDate, std::pair<double, int>> sums;
    for (const ChartAggregator::Point& point : points) {
        auto& sum = sums[period(dateOf(point.label))];
        if (!point.value.isNull()) {
            sum.first += point.value.toDouble();
            ++sum.second;
        }
    }
    QList<ChartBar> bars;
    for (auto it = sums.cbegin(); it != sums.cend(); ++it) {
        const QVariant mean = it->second > 0 ? QVariant(it->first / it->second) : QVariant();
        bars.append(bar(ValueFormatter::format(it.key(), labelFormat), mean, format));
    }
    return bars;
}

} // namespace

ChartAggregator::Result ChartAggregator::aggregate(const QList<Point>& points, const QString& format,
                                                   const QString& labelFormat)
{
    Result result;
    if (points.size() <= MaxDailyBars || !allDates(points)) {
        for (const Point& point : points)
            result.bars.append(bar(ValueFormatter::format(point.label, labelFormat), point.value, format));
        return result;
    }
    result.bars =
        means(points, weekOf, format, labelFormat.isEmpty() ? QStringLiteral("dd/MM") : labelFormat);
    result.note = QStringLiteral("média por dia de cada semana (a partir da segunda-feira)");
    if (result.bars.size() > MaxWeeklyBars) {
        result.bars = means(points, monthOf, format, QStringLiteral("MM/yyyy"));
        result.note = QStringLiteral("média por dia de cada mês");
    }
    return result;
}

} // namespace Qr
