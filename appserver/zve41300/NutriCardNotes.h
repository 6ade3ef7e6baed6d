#pragma once
// The notes printed under a prepared report: for each nutrient of its columns, the foods of the
// dishes served that have no value for it (so that a nutritionist knows what to complete), and
// the dishes served that have no recipe to compute from, and the sources of the complement values
// that stood in for the food table's empty cells.

#include "NutriCardSource.h"
#include "NutrientColumn.h"

#include <QStringList>

namespace NutriCardNotes {

// A stored note line holds at most this many characters; longer lists go on to further lines.
constexpr qsizetype kMaxLineLength = 400;

// The dishes served whose figures cannot be computed, each named once, by what is wrong with them.
struct DishesNotComputed
{
    QStringList withoutRecipe; // no recipe lines
    QStringList withoutYield;  // a recipe that yields no portions: nothing to divide it by

    void add(QStringList& list, const QString& dishName)
    {
        if (!list.contains(dishName))
            list.append(dishName);
    }
};

QStringList lines(const QList<NutrientColumn>& columns, const QList<NutriCardSource::Gap>& gaps,
                  const QStringList& complementSources, const DishesNotComputed& dishes);

} // namespace NutriCardNotes
