#pragma once
// Reads what a preparation needs from the database: the menu items of the period with their
// names, the nutrient composition of the dishes they serve, summed per dish by the database, and
// what the report's notes say of the values behind them: the foods that lack one, the sources of
// the complement values used.

#include "DishComposition.h"
#include "MenuItem.h"
#include "NutriCardCriteria.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QSqlDatabase>

namespace Kav {
class BoundQuery;
}

namespace KavServer::Zve41300 {

class NutriCardSource
{
public:
    // Protein-quality factor of a food whose group has none stored: that of cereals and other
    // vegetables, the lowest of the three classes, so the net protein is never overstated.
    static constexpr double kDefaultProteinFactor = 0.5;

    explicit NutriCardSource(const QSqlDatabase& db) : m_db(db) {}

    struct ServedItem
    {
        MenuItem item;
        double portions = 0.0;       // what the dish's recipe yields
        double servedPortions = 0.0; // what one serving is, in those portions (0.6 for a crèche)
    };
    QList<ServedItem> items(const NutriCardCriteria& criteria) const;
    // The first day of the period with a menu item, and the first with a main dish: a day whose
    // only items are options is no day of the menu, so weeks are numbered from the first that is
    // (from the first item's when no day has a main dish). Both invalid without items.
    struct MenuDays
    {
        QDate firstItem;
        QDate firstCounted;
    };
    MenuDays menuDays(const NutriCardCriteria& criteria) const;

    // Per dish ("code|owner") and nutrient code, for the dishes served in the criteria's period.
    using Compositions = QHash<QString, QHash<QString, DishComposition>>;
    Compositions compositions(const NutriCardCriteria& criteria, const QStringList& nutrients) const;

    // A food of a dish served that has no value for a nutrient, in the table or its complement,
    // and the dish type it was served as.
    struct Gap
    {
        QString nutrient;
        int food = 0;
        QString foodName;
        QString dishType;
    };
    // Where a value that stands in for an empty cell of the table comes from, for a dish type.
    struct SourceUse
    {
        QString dishType;
        QString source;
    };
    struct MissingValues
    {
        QList<Gap> gaps;
        QList<SourceUse> sources;
        QMap<QString, QString> dishTypeNames; // of the dish types above

        // Those of the dishes of one type, or of every type (an empty `dishType`), each once.
        QList<Gap> gapsOf(const QString& dishType) const;
        QStringList complementSourcesOf(const QString& dishType) const;
    };
    MissingValues missingValues(const NutriCardCriteria& criteria, const QStringList& nutrients) const;

    static QString dishKey(const QString& dish, const QString& owner)
    {
        return dish + QLatin1Char('|') + owner;
    }

private:
    // F, the recipe lines of the dishes served, each once per dish (D), or once per dish and the
    // dish type it was served as (D.CDTIPOPRAT).
    static QString servedRecipeLines(const NutriCardCriteria& criteria, bool byDishType = false);
    static QString foodValues(const QString& foodColumn, qsizetype nutrients);
    static void bindServedFoodValues(Kav::BoundQuery& query, const NutriCardCriteria& criteria,
                                     const QStringList& nutrients);

    QSqlDatabase m_db;
};

} // namespace KavServer::Zve41300
