#include "NutriCardBuilder.h"

#include <algorithm>
#include <QMap>
#include <QSet>
#include <tuple>

namespace {

constexpr int kDaysPerWeek = 7;
constexpr double kPercent = 100.0;

auto itemOrder(const MenuItem& item)
{
    return std::make_tuple(item.day, item.serviceOrder, item.service, item.dishType, item.option, item.dish,
                           item.dishOwner, item.sequence);
}

} // namespace

NutriCardBuilder::NutriCardBuilder(const QDate& firstDay, QList<NutrientColumn> columns, bool withNdpCal)
    : m_firstDay(firstDay), m_firstMonday(firstDay.addDays(1 - firstDay.dayOfWeek())),
      m_columns(std::move(columns)), m_withNdpCal(withNdpCal)
{}

void NutriCardBuilder::addItem(const MenuItem& item, const QHash<QString, NutrientAmount>& amounts,
                               const NutrientAmount& energy, const NutrientAmount& netProtein)
{
    m_entries.append(Entry{item, amounts, energy, netProtein});
    if (!item.option) {
        Diet& diet = m_dietPerDay[item.day];
        diet.energy += energy;
        diet.netProtein += netProtein;
    }
}

int NutriCardBuilder::weekOf(const QDate& day) const
{
    return int(m_firstMonday.daysTo(day) / kDaysPerWeek) + 1;
}

QDate NutriCardBuilder::weekStart(int week) const
{
    return std::max(m_firstMonday.addDays(qint64(week - 1) * kDaysPerWeek), m_firstDay);
}

std::optional<double> NutriCardBuilder::ndpcal(const NutrientAmount& netProtein, const NutrientAmount& energy)
{
    if (!netProtein.value || !energy.value || *energy.value <= 0.0)
        return std::nullopt;
    return *netProtein.value * kKcalPerGramProtein / *energy.value * kPercent;
}

std::optional<double> NutriCardBuilder::dayNdpCal(const QDate& day) const
{
    if (!m_withNdpCal)
        return std::nullopt;
    const Diet diet = m_dietPerDay.value(day);
    return ndpcal(diet.netProtein, diet.energy);
}

std::optional<double> NutriCardBuilder::weekNdpCal(int week) const
{
    if (!m_withNdpCal)
        return std::nullopt;
    Diet week_;
    for (auto it = m_dietPerDay.cbegin(); it != m_dietPerDay.cend(); ++it) {
        if (weekOf(it.key()) == week) {
            week_.energy += it->energy;
            week_.netProtein += it->netProtein;
        }
    }
    return ndpcal(week_.netProtein, week_.energy);
}

NutrientAmount NutriCardBuilder::amountOf(const Entry& entry, const QString& nutrient) const
{
    const auto it = entry.amounts.constFind(nutrient);
    return it == entry.amounts.cend() ? NutrientAmount::notAnalysed() : *it;
}

NutriCardRow NutriCardBuilder::rowFor(const QDate& day, int week, const NutrientColumn& column) const
{
    NutriCardRow row;
    row.day = day;
    row.week = week;
    row.weekStart = weekStart(week);
    row.nutrient = column.code;
    row.nutrientName = column.name;
    row.unit = column.unit;
    return row;
}

QList<NutriCardRow> NutriCardBuilder::rows(ReportKind::Layout layout) const
{
    switch (layout) {
    case ReportKind::Layout::PerDish:
        return perDish();
    case ReportKind::Layout::DailyTotals:
        return dailyTotals();
    case ReportKind::Layout::WeeklyMeans:
        return weeklyMeans();
    }
    return {};
}

QList<NutriCardRow> NutriCardBuilder::perDish() const
{
    QList<const Entry*> ordered;
    for (const Entry& entry : m_entries)
        ordered.append(&entry);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Entry* a, const Entry* b) { return itemOrder(a->item) < itemOrder(b->item); });
    QList<NutriCardRow> result;
    for (const Entry* entry : ordered) {
        const MenuItem& item = entry->item;
        const std::optional<double> dayValue = dayNdpCal(item.day);
        for (const NutrientColumn& column : m_columns) {
            NutriCardRow row = rowFor(item.day, weekOf(item.day), column);
            row.service = item.service;
            row.serviceName = item.serviceName;
            row.serviceOrder = item.serviceOrder;
            row.dishType = item.dishType;
            row.dishTypeName = item.dishTypeName;
            row.dish = item.dish;
            row.dishOwner = item.dishOwner;
            row.dishName = item.dishName;
            row.option = item.option ? QStringLiteral("S") : QStringLiteral("N");
            row.amount = amountOf(*entry, column.code);
            row.ndpcal = dayValue;
            result.append(row);
        }
    }
    return result;
}

QList<NutriCardRow> NutriCardBuilder::dailyTotals() const
{
    QMap<QDate, QHash<QString, NutrientAmount>> totals; // ordered by day
    for (const Entry& entry : m_entries) {
        QHash<QString, NutrientAmount>& day = totals[entry.item.day];
        if (entry.item.option)
            continue;
        for (const NutrientColumn& column : m_columns)
            day[column.code] += amountOf(entry, column.code);
    }
    QList<NutriCardRow> result;
    for (auto day = totals.cbegin(); day != totals.cend(); ++day) {
        for (const NutrientColumn& column : m_columns) {
            NutriCardRow row = rowFor(day.key(), weekOf(day.key()), column);
            row.amount = day->value(column.code);
            row.ndpcal = dayNdpCal(day.key());
            result.append(row);
        }
    }
    return result;
}

QList<NutriCardRow> NutriCardBuilder::weeklyMeans() const
{
    struct Group
    {
        MenuItem service; // the service's code, name and order
        QSet<QDate> days;
        QHash<QString, NutrientAmount> sums;
    };
    // Ordered by week, then the services' order of the day.
    QMap<std::tuple<int, int, QString>, Group> groups;
    for (const Entry& entry : m_entries) {
        const MenuItem& item = entry.item;
        Group& group = groups[{weekOf(item.day), item.serviceOrder, item.service}];
        group.service = item;
        group.days.insert(item.day);
        if (item.option)
            continue;
        for (const NutrientColumn& column : m_columns)
            group.sums[column.code] += amountOf(entry, column.code);
    }
    QList<NutriCardRow> result;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        const int week = std::get<0>(it.key());
        const double days = double(it->days.size());
        for (const NutrientColumn& column : m_columns) {
            NutriCardRow row = rowFor(QDate(), week, column);
            row.service = it->service.service;
            row.serviceName = it->service.serviceName;
            row.serviceOrder = it->service.serviceOrder;
            row.amount = it->sums.value(column.code).dividedBy(days);
            row.ndpcal = weekNdpCal(week);
            result.append(row);
        }
    }
    return result;
}
