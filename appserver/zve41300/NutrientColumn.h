#pragma once
// A nutrient the report shows as a column: code, name and unit.

#include <QString>

namespace KavServer::Zve41300 {

struct NutrientColumn
{
    QString code;
    QString name;
    QString unit;
};

} // namespace KavServer::Zve41300
