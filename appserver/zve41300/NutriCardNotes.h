#pragma once
// The notes printed under a prepared report: what it is compared with (NutriCardCoverage), and for
// each nutrient of its columns the foods of the dishes served that have no value for it (so that a
// nutritionist knows what to complete), the dishes served that have no recipe or no yield to
// compute from, and the sources of the values that stood in for the food table's empty cells.
//
// A report printed for some dish types only must name only the foods and dishes of those types:
// the lines over every dish type are stored apart from those of each type, which are headed by
// the type's name, and a layout prints the ones of its choice (NUTRICARDNOTA.CDTIPOPRAT).

#include "MenuItem.h"
#include "NutriCardSource.h"
#include "NutrientColumn.h"

#include <QStringList>

namespace KavServer::Zve41300 {

namespace NutriCardNotes {

// A stored note line holds at most this many characters; longer lists go on to further lines.
constexpr qsizetype kMaxLineLength = 400;

// NUTRICARDNOTA.CDTIPOPRAT of a line over every dish type; a line of the whole report has none,
// a line of one dish type has its code.
inline const QString kEveryDishType = QStringLiteral("*");

struct Line
{
    QString dishType;
    QString text;
};

// The dishes served whose figures cannot be computed, by what is wrong with them.
struct DishesNotComputed
{
    struct Dish
    {
        QString dishType;
        QString dishTypeName;
        QString name;
    };
    QList<Dish> withoutRecipe; // no recipe lines
    QList<Dish> withoutYield;  // a recipe that yields no portions: nothing to divide it by

    // Adds the item's dish once per dish type.
    static void add(QList<Dish>& list, const MenuItem& item);
};

// The lines of a report: `reportLines` for the whole report, then those over every dish type,
// then those of each dish type, in the order of their codes.
QList<Line> lines(const QStringList& reportLines, const QList<NutrientColumn>& columns,
                  const NutriCardSource::MissingValues& missing, const DishesNotComputed& dishes);

} // namespace NutriCardNotes

} // namespace KavServer::Zve41300
