#include "NutriCardBuilder.h"

#include <algorithm>
#include <tuple>

namespace KavServer::Zve41300 {

namespace {

constexpr int kDaysPerWeek = 7;
constexpr double kPercent = 100.0;

auto itemOrder(const MenuItem& item)
{
    return std::make_tuple(item.day, item.serviceOrder, item.service, item.dishType, item.option, item.dish,
                           item.dishOwner, item.sequence);
}

} // namespace

NutriCardBuilder::Diet& NutriCardBuilder::Diet::operator+=(const Diet& other)
{
    energy += other.energy;
    netProtein += other.netProtein;
    return *this;
}

NutriCardBuilder::NutriCardBuilder(const QDate& firstDay, QList<NutrientColumn> columns, bool withNdpCal,
                                   const QDate& firstMenuDay)
    : m_firstDay(firstDay), m_firstMenuDay(firstMenuDay), m_firstMenuDayGiven(firstMenuDay.isValid()),
      m_columns(std::move(columns)), m_withNdpCal(withNdpCal)
{}

void NutriCardBuilder::addItem(const MenuItem& item, const QHash<QString, NutrientAmount>& amounts,
                               const NutrientAmount& energy, const NutrientAmount& netProtein)
{
    m_entries.append(Entry{item, amounts, energy, netProtein});
    if (!m_firstMenuDayGiven && !item.option && (!m_firstMenuDay.isValid() || item.day < m_firstMenuDay))
        m_firstMenuDay = item.day;
    if (!item.option)
        m_dietPerDay[item.day] += Diet{energy, netProtein};
}

QDate NutriCardBuilder::firstMonday() const
{
    const QDate first = m_firstMenuDay.isValid() ? m_firstMenuDay : m_firstDay;
    return first.addDays(1 - first.dayOfWeek());
}

int NutriCardBuilder::weekOf(const QDate& day) const
{
    // Days before the first week (options served before the first main dish) fall in week 0,
    // never into week 1 by a division that rounds towards zero.
    const qint64 days = firstMonday().daysTo(day);
    return int((days >= 0 ? days : days - (kDaysPerWeek - 1)) / kDaysPerWeek) + 1;
}

QDate NutriCardBuilder::weekStart(int week) const
{
    return std::max(firstMonday().addDays(qint64(week - 1) * kDaysPerWeek), m_firstDay);
}

std::optional<double> NutriCardBuilder::ndpcal(const NutrientAmount& netProtein, const NutrientAmount& energy)
{
    if (!netProtein.value || !energy.value || *energy.value <= 0.0)
        return std::nullopt;
    return *netProtein.value * kKcalPerGramProtein / *energy.value * kPercent;
}

void NutriCardBuilder::setNdpCal(NutriCardRow& row, const Diet& diet) const
{
    if (!m_withNdpCal)
        return;
    row.ndpcal = ndpcal(diet.netProtein, diet.energy);
    row.ndpcalIncomplete = row.ndpcal && (diet.energy.incomplete || diet.netProtein.incomplete);
}

NutriCardBuilder::Diet NutriCardBuilder::weekDiet(int week) const
{
    Diet diet;
    for (auto it = m_dietPerDay.cbegin(); it != m_dietPerDay.cend(); ++it)
        if (weekOf(it.key()) == week)
            diet += *it;
    return diet;
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

QList<const NutriCardBuilder::Entry*> NutriCardBuilder::entriesInOrder() const
{
    QList<const Entry*> ordered;
    for (const Entry& entry : m_entries)
        ordered.append(&entry);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Entry* a, const Entry* b) { return itemOrder(a->item) < itemOrder(b->item); });
    return ordered;
}

// The row of one dish served, for one nutrient (none: the row of its energy and net protein).
NutriCardRow NutriCardBuilder::dishRow(const Entry& entry, const NutrientColumn& column) const
{
    const MenuItem& item = entry.item;
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
    if (!column.code.isEmpty())
        row.amount = entry.amounts.value(column.code, NutrientAmount::notAnalysed());
    return row;
}

QList<NutriCardRow> NutriCardBuilder::perDish() const
{
    QList<NutriCardRow> result;
    for (const Entry* entry : entriesInOrder()) {
        for (const NutrientColumn& column : m_columns) {
            NutriCardRow row = dishRow(*entry, column);
            setNdpCal(row, m_dietPerDay.value(entry->item.day));
            result.append(row);
        }
    }
    return result;
}

NutriCardRow NutriCardBuilder::dietRow(const Entry& entry) const
{
    NutriCardRow diet = dishRow(entry, NutrientColumn{});
    diet.energy = entry.energy;
    diet.netProtein = entry.netProtein;
    return diet;
}

QList<NutriCardRow> NutriCardBuilder::dishFigures() const
{
    QList<NutriCardRow> result;
    for (const Entry* entry : entriesInOrder()) {
        for (const NutrientColumn& column : m_columns)
            result.append(dishRow(*entry, column));
        if (m_withNdpCal)
            result.append(dietRow(*entry));
    }
    return result;
}

QList<NutriCardRow> NutriCardBuilder::dietFigures() const
{
    QList<NutriCardRow> result;
    if (!m_withNdpCal)
        return result;
    for (const Entry* entry : entriesInOrder())
        result.append(dietRow(*entry));
    return result;
}

void NutriCardBuilder::addMainDish(DayTotals& totals, const Entry& entry) const
{
    QHash<QString, NutrientAmount>& day = totals[entry.item.day];
    for (const NutrientColumn& column : m_columns)
        day[column.code] += entry.amounts.value(column.code, NutrientAmount::notAnalysed());
}

NutriCardBuilder::DayTotals NutriCardBuilder::mainDishTotalsPerDay() const
{
    DayTotals totals;
    for (const Entry& entry : m_entries)
        if (!entry.item.option)
            addMainDish(totals, entry);
    return totals;
}

QList<NutriCardRow> NutriCardBuilder::dayRows(const DayTotals& totals) const
{
    QList<NutriCardRow> result;
    for (auto day = totals.cbegin(); day != totals.cend(); ++day) {
        for (const NutrientColumn& column : m_columns) {
            NutriCardRow row = rowFor(day.key(), weekOf(day.key()), column);
            row.amount = day->value(column.code);
            setNdpCal(row, m_dietPerDay.value(day.key()));
            result.append(row);
        }
    }
    return result;
}

QList<NutriCardRow> NutriCardBuilder::dailyTotals() const
{
    return dayRows(mainDishTotalsPerDay());
}

// The mean per day of `totals` (days of one week), for one service or, without it, the services
// chosen; `diet` is what their NDpCal% is of: those same main dishes over the week.
QList<NutriCardRow> NutriCardBuilder::meanRows(int week, const DayTotals& totals, const MenuItem* service,
                                               const Diet& diet) const
{
    QList<NutriCardRow> result;
    const int days = int(totals.size());
    for (const NutrientColumn& column : m_columns) {
        NutriCardRow row = rowFor(QDate(), week, column);
        if (service) {
            row.service = service->service;
            row.serviceName = service->serviceName;
            row.serviceOrder = service->serviceOrder;
        }
        NutrientAmount sum;
        for (const QHash<QString, NutrientAmount>& day : totals)
            sum += day.value(column.code);
        row.amount = sum.dividedBy(days);
        row.days = days;
        setNdpCal(row, diet);
        result.append(row);
    }
    return result;
}

QList<NutriCardRow> NutriCardBuilder::weeklyMeans() const
{
    // Per week, then the services' order of the day: what each service's main dishes add up to,
    // and their energy and net protein, of which the service's own NDpCal% is.
    struct ServiceWeek
    {
        MenuItem item;
        DayTotals totals;
        Diet diet;
    };
    QMap<std::tuple<int, int, QString>, ServiceWeek> services;
    for (const Entry& entry : m_entries) {
        if (entry.item.option)
            continue;
        ServiceWeek& service =
            services[{weekOf(entry.item.day), entry.item.serviceOrder, entry.item.service}];
        service.item = entry.item;
        addMainDish(service.totals, entry);
        service.diet += Diet{entry.energy, entry.netProtein};
    }
    QList<NutriCardRow> result;
    for (auto it = services.cbegin(); it != services.cend(); ++it)
        result += meanRows(std::get<0>(it.key()), it->totals, &it->item, it->diet);
    // The days' totals over the services chosen, and each week's mean of them.
    const DayTotals days = mainDishTotalsPerDay();
    result += dayRows(days);
    QMap<int, DayTotals> weeks;
    for (auto day = days.cbegin(); day != days.cend(); ++day)
        weeks[weekOf(day.key())].insert(day.key(), *day);
    for (auto week = weeks.cbegin(); week != weeks.cend(); ++week)
        result += meanRows(week.key(), *week, nullptr, weekDiet(week.key()));
    std::stable_sort(result.begin(), result.end(),
                     [](const NutriCardRow& a, const NutriCardRow& b) { return a.week < b.week; });
    return result;
}

} // namespace KavServer::Zve41300
