#include "TacoImporter.h"

#include "BulkInserter.h"
#include "CsvImport.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "NutrientCatalogue.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QSqlQuery>

namespace KavDb {

using CsvImport::fail;
using CsvImport::requireColumn;
using CsvImport::requireId;

namespace {

struct MappedNutrient
{
    QString code;
    int column;
};

struct TacoFood
{
    int id;
    int group;
    QString name;
};

QSqlQuery run(QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    return CsvImport::run(db, QStringLiteral("Importing the food table"), sql, values);
}

QList<MappedNutrient> mappedNutrients(QSqlDatabase& db, const CsvTable& values)
{
    QList<MappedNutrient> mapped;
    QSqlQuery query = run(db, QStringLiteral("SELECT CDNUTRIENTE, NMCOLTACO FROM NUTRIENTE "
                                             "WHERE NMCOLTACO IS NOT NULL ORDER BY CDNUTRIENTE"));
    while (query.next()) {
        const QString column = query.value(1).toString().trimmed();
        if (!column.isEmpty())
            mapped << MappedNutrient{query.value(0).toString(),
                                     requireColumn(values, QStringLiteral("nutrients.csv"), column)};
    }
    return mapped;
}

} // namespace

TacoImporter::TacoImporter(QSqlDatabase db) : m_db(std::move(db)) {}

TacoImportCounts TacoImporter::import(const QString& dirPath, TextEncoding encoding)
{
    const QDir dir(dirPath);
    const QString groupsFile = QStringLiteral("categories.csv");
    const QString foodsFile = QStringLiteral("food.csv");
    const QString valuesFile = QStringLiteral("nutrients.csv");
    const CsvTable groups = readCsvFile(dir.filePath(groupsFile), encoding);
    const CsvTable foods = readCsvFile(dir.filePath(foodsFile), encoding);
    const CsvTable values = readCsvFile(dir.filePath(valuesFile), encoding);

    // Groups
    const int groupId = requireColumn(groups, groupsFile, QStringLiteral("id"));
    const int groupName = requireColumn(groups, groupsFile, QStringLiteral("name"));
    QHash<int, QString> groupNames;
    for (int row = 0; row < groups.rows.size(); ++row) {
        const int id = requireId(groups, row, groupId, groupsFile);
        if (groupNames.contains(id))
            fail(groupsFile, groups.lines[row], QStringLiteral("group %1 appears twice").arg(id));
        groupNames.insert(id, groups.rows[row][groupName].trimmed());
    }

    // Foods
    const int foodId = requireColumn(foods, foodsFile, QStringLiteral("id"));
    const int foodGroup = requireColumn(foods, foodsFile, QStringLiteral("categoryId"));
    const int foodName = requireColumn(foods, foodsFile, QStringLiteral("name"));
    QList<TacoFood> foodList;
    QSet<int> foodIds;
    for (int row = 0; row < foods.rows.size(); ++row) {
        const TacoFood food{requireId(foods, row, foodId, foodsFile),
                            requireId(foods, row, foodGroup, foodsFile), foods.rows[row][foodName].trimmed()};
        if (foodIds.contains(food.id))
            fail(foodsFile, foods.lines[row], QStringLiteral("food %1 appears twice").arg(food.id));
        if (!groupNames.contains(food.group))
            fail(foodsFile, foods.lines[row],
                 QStringLiteral("group %1 is not in %2").arg(food.group).arg(groupsFile));
        if (food.name.isEmpty())
            fail(foodsFile, foods.lines[row], QStringLiteral("food %1 has no name").arg(food.id));
        foodIds << food.id;
        foodList << food;
    }

    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    ensureNutrients(m_db);
    const QList<MappedNutrient> nutrients = mappedNutrients(m_db, values);

    // Values, checked whole before anything is written
    const int valueFood = requireColumn(values, valuesFile, QStringLiteral("foodId"));
    TacoImportCounts counts;
    QList<QVariantList> valueRows;
    QSet<int> foodsWithValues;
    for (int row = 0; row < values.rows.size(); ++row) {
        const int id = requireId(values, row, valueFood, valuesFile);
        if (!foodIds.contains(id))
            fail(valuesFile, values.lines[row],
                 QStringLiteral("food %1 is not in %2").arg(id).arg(foodsFile));
        if (foodsWithValues.contains(id))
            fail(valuesFile, values.lines[row], QStringLiteral("food %1 appears twice").arg(id));
        foodsWithValues << id;
        for (const MappedNutrient& nutrient : nutrients) {
            const std::optional<double> value =
                CsvImport::optionalAmount(values, row, nutrient.column, valuesFile);
            ++(value ? counts.values : counts.missingValues);
            valueRows << QVariantList{id, nutrient.code, value ? QVariant(*value) : QVariant()};
        }
    }

    // Groups: a known group keeps the protein factor a site may have set.
    QSet<int> knownGroups;
    for (QSqlQuery query = run(m_db, QStringLiteral("SELECT CDGRUPOALIM FROM GRUPOALIM")); query.next();)
        knownGroups << query.value(0).toInt();
    for (auto it = groupNames.cbegin(); it != groupNames.cend(); ++it) {
        if (knownGroups.contains(it.key()))
            run(m_db, QStringLiteral("UPDATE GRUPOALIM SET NMGRUPOALIM = ? WHERE CDGRUPOALIM = ?"),
                {it.value(), it.key()});
        else
            run(m_db,
                QStringLiteral(
                    "INSERT INTO GRUPOALIM (CDGRUPOALIM, NMGRUPOALIM, VRFATORPROT) VALUES (?, ?, ?)"),
                {it.key(), it.value(), proteinFactorOfTacoGroup(it.key())});
    }

    // Foods of these ids are replaced with their values.
    QSet<int> knownFoods;
    for (QSqlQuery query = run(m_db, QStringLiteral("SELECT CDALIMENTO FROM ALIMENTO")); query.next();)
        knownFoods << query.value(0).toInt();
    for (const TacoFood& food : foodList) {
        if (!knownFoods.contains(food.id))
            continue;
        run(m_db, QStringLiteral("DELETE FROM COMPALIM WHERE CDALIMENTO = ?"), {food.id});
        run(m_db, QStringLiteral("DELETE FROM ALIMENTO WHERE CDALIMENTO = ?"), {food.id});
    }
    BulkInserter foodRows(
        m_db, QStringLiteral("ALIMENTO"),
        {QStringLiteral("CDALIMENTO"), QStringLiteral("NMALIMENTO"), QStringLiteral("CDGRUPOALIM")});
    for (const TacoFood& food : foodList)
        foodRows.add({food.id, food.name, food.group});
    foodRows.flush();
    BulkInserter compositionRows(
        m_db, QStringLiteral("COMPALIM"),
        {QStringLiteral("CDALIMENTO"), QStringLiteral("CDNUTRIENTE"), QStringLiteral("VRNUTRIENTE")});
    for (const QVariantList& row : valueRows)
        compositionRows.add(row);
    compositionRows.flush();
    transaction.commit();

    counts.groups = int(groupNames.size());
    counts.foods = int(foodList.size());
    return counts;
}

} // namespace KavDb
