#pragma once
// The report kind the screen sends with a preparation: the layout letter and the nutrient letter.

#include <QString>

namespace KavServer::Zve41300 {

struct ReportKind
{
    enum class Layout {
        PerDish,     // "N": a row per day, service, dish and nutrient
        DailyTotals, // "D": a row per day and nutrient
        WeeklyMeans, // "S": a row per week, service and nutrient, the mean of the week's days
    };

    Layout layout = Layout::PerDish;
    bool allNutrients = false; // "T": every nutrient; "L": the list sent

    // "NT", "DL", "SL"...; throws NutriCardRefusal for anything else.
    static ReportKind parse(const QString& text);
};

} // namespace KavServer::Zve41300
