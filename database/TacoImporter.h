#pragma once
// Imports the Brazilian food composition table (TACO) from its public CSV conversion: food
// groups, foods, and each food's nutrients per 100 g. An empty cell (not analysed) stays NULL.

#include "CsvReader.h"

#include <QSqlDatabase>
#include <QString>

namespace KavDb {

struct TacoImportCounts
{
    int groups = 0;
    int foods = 0;
    int values = 0;        // nutrient values stored
    int missingValues = 0; // empty cells, stored as NULL
};

class TacoImporter
{
public:
    explicit TacoImporter(QSqlDatabase db);

    // Reads food.csv, nutrients.csv and categories.csv of `dir` (a folder or a ":/" resource
    // folder), checks them whole, then replaces the foods they hold in one transaction. Foods of
    // other ids stay. The nutrients of the catalogue are added when missing; each nutrient whose
    // NMCOLTACO names a column is imported. Throws Kav::Exception naming the file, line and
    // column of anything that is not the expected table (a value that is no finite number or is
    // negative, text that is not UTF-8 unless read as Latin-1); the database is then unchanged.
    TacoImportCounts import(const QString& dir, TextEncoding encoding = TextEncoding::Utf8);

private:
    QSqlDatabase m_db;
};

} // namespace KavDb
