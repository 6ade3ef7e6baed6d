#pragma once
// A nutrient the report shows as a column: code, name and unit.

#include <QString>

struct NutrientColumn
{
    QString code;
    QString name;
    QString unit;
};
