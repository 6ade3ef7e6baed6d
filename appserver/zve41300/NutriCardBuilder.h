#pragma once
// Turns the nutrient amounts of each dish served into the rows of a report kind: per dish,
// totals per day, or means per week (per service, with the day totals and the week's mean of
// them); with NDpCal% when asked.
//
// Totals and means count the main dishes only: an option dish is an alternative to a main dish,
// not eaten besides it. A day counts for a total or a mean only where a main dish was served for
// it (in that service, for a service's mean). Weeks run Monday to Sunday; week 1 holds the first
// day that has a menu item.

#include "MenuItem.h"
#include "NutriCardRow.h"
#include "NutrientAmount.h"
#include "NutrientColumn.h"
#include "ReportKind.h"

#include <optional>
#include <QHash>
#include <QList>
#include <QMap>

namespace KavServer::Zve41300 {

class NutriCardBuilder
{
public:
    static constexpr double kKcalPerGramProtein = 4.0;

    // `firstMenuDay`, when given, is the period's first day with a main dish, so that weeks are
    // numbered alike when the period's items come in several builders; otherwise the earliest
    // main dish added. Week 1 is the week of that day: a day of options only is no day of the menu.
    NutriCardBuilder(const QDate& firstDay, QList<NutrientColumn> columns, bool withNdpCal,
                     const QDate& firstMenuDay = QDate());

    // `amounts` per column nutrient code, as served; a column missing from it counts as not
    // analysed. `energy` and `netProtein` as served feed NDpCal%.
    void addItem(const MenuItem& item, const QHash<QString, NutrientAmount>& amounts,
                 const NutrientAmount& energy = {}, const NutrientAmount& netProtein = {});

    QList<NutriCardRow> rows(ReportKind::Layout layout) const;
    // What the day and week rows are made of, per dish served (main and option dishes): a row
    // per dish and nutrient and, with NDpCal%, a row per dish with its energy and net protein
    // and no nutrient. A report restricted to some dish types sums these.
    QList<NutriCardRow> dishFigures() const;
    // With NDpCal%, only the rows per dish with its energy and net protein: what a layout sums
    // the NDpCal% of the dishes it covers from, in every kind.
    QList<NutriCardRow> dietFigures() const;

    int weekOf(const QDate& day) const;
    // The first day of the week within the period.
    QDate weekStart(int week) const;

    // Net protein × 4 kcal over the energy, in percent; none without both or with no energy.
    static std::optional<double> ndpcal(const NutrientAmount& netProtein, const NutrientAmount& energy);

private:
    struct Entry
    {
        MenuItem item;
        QHash<QString, NutrientAmount> amounts;
        NutrientAmount energy;
        NutrientAmount netProtein;
    };
    struct Diet
    {
        NutrientAmount energy;
        NutrientAmount netProtein;
        Diet& operator+=(const Diet& other);
    };
    // What the main dishes of some selection add up to, per day they were served.
    using DayTotals = QMap<QDate, QHash<QString, NutrientAmount>>;

    QList<NutriCardRow> perDish() const;
    QList<const Entry*> entriesInOrder() const;
    NutriCardRow dishRow(const Entry& entry, const NutrientColumn& column) const;
    NutriCardRow dietRow(const Entry& entry) const;
    QList<NutriCardRow> dailyTotals() const;
    QList<NutriCardRow> weeklyMeans() const;
    void addMainDish(DayTotals& totals, const Entry& entry) const;
    DayTotals mainDishTotalsPerDay() const;
    QList<NutriCardRow> dayRows(const DayTotals& totals) const;
    QList<NutriCardRow> meanRows(int week, const DayTotals& totals, const MenuItem* service,
                                 const Diet& diet) const;
    void setNdpCal(NutriCardRow& row, const Diet& diet) const;
    Diet weekDiet(int week) const;
    NutriCardRow rowFor(const QDate& day, int week, const NutrientColumn& column) const;
    QDate firstMonday() const;

    QDate m_firstDay;
    QDate m_firstMenuDay;
    bool m_firstMenuDayGiven = false;
    QList<NutrientColumn> m_columns;
    bool m_withNdpCal;
    QList<Entry> m_entries;
    QMap<QDate, Diet> m_dietPerDay; // main dishes only
};

} // namespace KavServer::Zve41300
