#include "ComplementImporter.h"

#include "CsvImport.h"
#include "DbTransaction.h"

#include <QFileInfo>
#include <QSet>

namespace KavDb {

namespace {

struct Complement
{
    int food = 0;
    QString nutrient;
    double value = 0.0;
    QString source;
};

QSet<int> knownFoods(QSqlDatabase& db)
{
    QSet<int> foods;
    QSqlQuery query = CsvImport::run(db, QStringLiteral("Reading the foods"),
                                     QStringLiteral("SELECT CDALIMENTO FROM ALIMENTO"));
    while (query.next())
        foods.insert(query.value(0).toInt());
    return foods;
}

QList<Complement> readComplements(const QString& path, TextEncoding encoding, QSqlDatabase& db)
{
    using namespace CsvImport;
    const QString file = QFileInfo(path).fileName();
    const CsvTable table = readCsvFile(path, encoding);
    const int food = requireColumn(table, file, QStringLiteral("foodId"));
    const int nutrient = requireColumn(table, file, QStringLiteral("nutrient"));
    const int value = requireColumn(table, file, QStringLiteral("value"));
    const int source = requireColumn(table, file, QStringLiteral("source"));
    const NutrientNames nutrients(db);
    const QSet<int> foods = knownFoods(db);
    QList<Complement> result;
    DuplicateCheck duplicates;
    for (int row = 0; row < table.rows.size(); ++row) {
        Complement complement;
        complement.food = requireId(table, row, food, file);
        if (!foods.contains(complement.food))
            fail(file, table.lines[row],
                 QStringLiteral("food %1 is not in the food table").arg(complement.food));
        complement.nutrient = nutrients.codeOf(table, row, nutrient, file);
        duplicates.add(file, table.lines[row],
                       complement.nutrient + QLatin1Char('|') + QString::number(complement.food),
                       QStringLiteral("a value of nutrient %1 for food %2")
                           .arg(complement.nutrient)
                           .arg(complement.food));
        const std::optional<double> number = optionalAmount(table, row, value, file);
        if (!number)
            fail(file, table.lines[row], QStringLiteral("column value is empty"));
        complement.value = *number;
        complement.source = requireText(table, row, source, file);
        result.append(complement);
    }
    return result;
}

} // namespace

ComplementImportCounts ComplementImporter::import(const QString& path, TextEncoding encoding)
{
    using CsvImport::run;
    const QString what = QStringLiteral("Importing the complement values");
    const QList<Complement> complements = readComplements(path, encoding, m_db);
    ComplementImportCounts counts;
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    for (const Complement& complement : complements) {
        QSqlQuery inTable =
            run(m_db, what,
                QStringLiteral("SELECT COUNT(*) FROM COMPALIM WHERE CDALIMENTO = ? AND CDNUTRIENTE = ?"
                               " AND VRNUTRIENTE IS NOT NULL"),
                {complement.food, complement.nutrient});
        if (inTable.next() && inTable.value(0).toInt() > 0) {
            ++counts.tableHasValue;
            continue;
        }
        run(m_db, what, QStringLiteral("DELETE FROM COMPALIMCOMPL WHERE CDALIMENTO = ? AND CDNUTRIENTE = ?"),
            {complement.food, complement.nutrient});
        run(m_db, what,
            QStringLiteral("INSERT INTO COMPALIMCOMPL (CDALIMENTO, CDNUTRIENTE, VRNUTRIENTE, DSFONTE) VALUES "
                           "(?, ?, ?, ?)"),
            {complement.food, complement.nutrient, complement.value, complement.source});
        ++counts.stored;
    }
    transaction.commit();
    return counts;
}

} // namespace KavDb
