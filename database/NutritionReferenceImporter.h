#pragma once
// Imports nutritional reference sets from a CSV file, one row per bound of one nutrient:
//   set,setName,setSource,ageBand,ageBandName,coverage,nutrient,base,minimum,maximum,source
// A set named in the file is replaced whole (its name, source and rows); other sets stay. An
// age band named in the file is added or renamed. Empty ageBand or coverage: every one. base
// "Q": an amount in the nutrient's unit for a day's menu; "E": percent of the day's energy, only for
// a nutrient weighed in grams (a macronutrient: the share of energy its grams yield).

#include "CsvReader.h"

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
    // line of anything wrong (a bound that is no finite number or is negative, a minimum above its
    // maximum, a bound given twice, a share of energy for a nutrient that yields none, text that
    // is not UTF-8 unless read as Latin-1); the database is then unchanged.
    ReferenceImportCounts import(const QString& path, TextEncoding encoding = TextEncoding::Utf8);

private:
    QSqlDatabase m_db;
};

} // namespace KavDb
