#pragma once
// One row of prepared report data, as the report layouts read it from NUTRICARD (or, for the
// figures of each dish behind day and week rows, from NUTRICARDPRATO). Texts left null are stored
// as NULL (the service and dish columns of total rows).

#include "NutrientAmount.h"

#include <optional>
#include <QDate>
#include <QString>

namespace KavServer::Zve41300 {

struct NutriCardRow
{
    QDate day; // null in weekly rows
    int week = 0;
    QDate weekStart;
    QString service;
    QString serviceName;
    std::optional<int> serviceOrder;
    QString dishType;
    QString dishTypeName;
    QString dish;
    QString dishOwner;
    QString dishName;
    QString option; // "S" / "N" in per-dish rows
    QString nutrient;
    QString nutrientName;
    QString unit;
    NutrientAmount amount;
    std::optional<double> ndpcal;  // NDpCal% of the day (or of the week in weekly rows)
    bool ndpcalIncomplete = false; // the energy or protein behind it lacks some ingredient's value
    std::optional<int> days;       // the days a weekly mean covers
    // A dish's figures for NDpCal% (a row of NUTRICARDPRATO without nutrient): its energy and
    // net protein as served.
    NutrientAmount energy;
    NutrientAmount netProtein;
};

} // namespace KavServer::Zve41300
