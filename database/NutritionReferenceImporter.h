#pragma once
// Imports nutritional reference sets from a CSV file, one row per bound of one nutrient:
//   set,setName,setSource,ageBand,ageBandName,coverage,nutrient,base,minimum,maximum,source
// A set named in the file is replaced whole (its name, source and rows); other sets stay. An
// age band named in the file is added or renamed. Empty ageBand or coverage: every one. base
// "Q": an amount in the nutrient's unit for a day's menu; "E": percent of the day's energy.

#include <QSqlDatabase>
#include <QString>

namespace KavDb {

struct ReferenceImportCounts
{
    int sets = 0;
    int values = 0;
};

class NutritionReferenceImporter
{
public:
    explicit NutritionReferenceImporter(QSqlDatabase db) : m_db(std::move(db)) {}

    // Checks the whole file, then writes it in one transaction. Throws Kav::Exception naming the
    // line of anything wrong; the database is then unchanged.
    ReferenceImportCounts import(const QString& path);

private:
    QSqlDatabase m_db;
};

} // namespace KavDb
