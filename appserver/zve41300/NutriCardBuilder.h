#pragma once
// Turns the nutrient amounts per portion of each dish served into the rows of a report kind:
// per dish, totals per day, or means per week and service; with NDpCal% when asked.
//
// Totals and means count the main dishes only: an option dish is an alternative to a main dish,
// not eaten besides it. Weeks run Monday to Sunday; week 1 holds the first day of the period.

#include "MenuItem.h"
#include "NutriCardRow.h"
#include "NutrientAmount.h"
#include "NutrientColumn.h"
#include "ReportKind.h"

#include <optional>
#include <QHash>
#include <QList>

class NutriCardBuilder
{
public:
    static constexpr double kKcalPerGramProtein = 4.0;

    NutriCardBuilder(const QDate& firstDay, QList<NutrientColumn> columns, bool withNdpCal);

    // `amounts` per column nutrient code, per portion; a column missing from it counts as not
    // analysed. `energy` and `netProtein` per portion feed NDpCal%.
    void addItem(const MenuItem& item, const QHash<QString, NutrientAmount>& amounts,
                 const NutrientAmount& energy = {}, const NutrientAmount& netProtein = {});

    QList<NutriCardRow> rows(ReportKind::Layout layout) const;

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
    };

    QList<NutriCardRow> perDish() const;
    QList<NutriCardRow> dailyTotals() const;
    QList<NutriCardRow> weeklyMeans() const;
    NutrientAmount amountOf(const Entry& entry, const QString& nutrient) const;
    std::optional<double> dayNdpCal(const QDate& day) const;
    std::optional<double> weekNdpCal(int week) const;
    NutriCardRow rowFor(const QDate& day, int week, const NutrientColumn& column) const;

    QDate m_firstDay;
    QDate m_firstMonday;
    QList<NutrientColumn> m_columns;
    bool m_withNdpCal;
    QList<Entry> m_entries;
    QHash<QDate, Diet> m_dietPerDay; // main dishes only
};
