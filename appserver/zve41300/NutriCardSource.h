#pragma once
// Reads what a preparation needs from the database: the menu items of the period with their
// names, and the nutrient composition of the dishes they serve, summed per dish by the database.

#include "DishComposition.h"
#include "MenuItem.h"
#include "NutriCardCriteria.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>

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
        double portions = 0.0; // what the dish's recipe yields
    };
    QList<ServedItem> items(const NutriCardCriteria& criteria) const;

    // Per dish ("code|owner") and nutrient code, for the dishes served in the criteria's period.
    using Compositions = QHash<QString, QHash<QString, DishComposition>>;
    Compositions compositions(const NutriCardCriteria& criteria, const QStringList& nutrients) const;

    static QString dishKey(const QString& dish, const QString& owner)
    {
        return dish + QLatin1Char('|') + owner;
    }

private:
    QSqlDatabase m_db;
};
