#pragma once
// Imports complement values for cells the food table leaves empty, each with its source:
//   foodId,nutrient,value,source
// (nutrient: a code or a food-table column). A value is stored only where the table has none;
// it is kept apart from the table's own values, so a new import of the table never overwrites
// it, and a value the table gains later wins over it.

#include "CsvReader.h"

#include <QSqlDatabase>
#include <QString>

namespace KavDb {

struct ComplementImportCounts
{
    int stored = 0;
    int tableHasValue = 0; // rows left out: the food table has that value
};

class ComplementImporter
{
public:
    explicit ComplementImporter(QSqlDatabase db) : m_db(std::move(db)) {}

    // Checks the whole file, then writes it in one transaction; throws Kav::Exception naming the
    // line of anything wrong (an unknown food or nutrient, a value that is no finite number or is
    // negative, a food and nutrient given twice, text that is not UTF-8 unless read as Latin-1),
    // the database then unchanged.
    ComplementImportCounts import(const QString& path, TextEncoding encoding = TextEncoding::Utf8);

private:
    QSqlDatabase m_db;
};

} // namespace KavDb
