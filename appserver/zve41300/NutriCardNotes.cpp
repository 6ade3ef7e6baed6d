#include "NutriCardNotes.h"

#include <QMap>

namespace KavServer::Zve41300 {

namespace NutriCardNotes {

namespace {

const QString kSeparator = QStringLiteral("; ");
const QString kContinued = QStringLiteral(" (continuação)");

// "heading: item; item...", split over as many lines as the length cap needs.
QStringList listLines(const QString& heading, const QStringList& items)
{
    QStringList result;
    QString line = heading + QStringLiteral(": ");
    bool lineHasItem = false;
    for (const QString& item : items) {
        const QString addition = (lineHasItem ? kSeparator : QString()) + item;
        if (lineHasItem && line.size() + addition.size() > kMaxLineLength) {
            result.append(line);
            line = heading + kContinued + QStringLiteral(": ") + item;
        } else {
            line += addition;
        }
        lineHasItem = true;
    }
    result.append(line.left(kMaxLineLength));
    return result;
}

QString columnTitle(const NutrientColumn& column)
{
    const QString unit = QStringLiteral("(%1)").arg(column.unit);
    return column.unit.isEmpty() || column.name.endsWith(unit)
               ? column.name
               : QStringLiteral("%1 %2").arg(column.name, unit);
}

// The names of `dishes` of one dish type, or of every type (empty `dishType`), each once.
QStringList namesOf(const QList<DishesNotComputed::Dish>& dishes, const QString& dishType)
{
    QStringList names;
    for (const DishesNotComputed::Dish& dish : dishes)
        if ((dishType.isEmpty() || dish.dishType == dishType) && !names.contains(dish.name))
            names.append(dish.name);
    return names;
}

// The lines of the dishes of one type, or of every type, their headings after `scope`.
QStringList scopeLines(const QList<NutrientColumn>& columns, const NutriCardSource::MissingValues& missing,
                       const DishesNotComputed& dishes, const QString& dishType, const QString& scope)
{
    QStringList result;
    const QList<NutriCardSource::Gap> gaps = missing.gapsOf(dishType);
    for (const NutrientColumn& column : columns) {
        QStringList foods;
        for (const NutriCardSource::Gap& gap : gaps)
            if (gap.nutrient == column.code)
                foods.append(QStringLiteral("%1 (nº %2)").arg(gap.foodName).arg(gap.food));
        if (!foods.isEmpty())
            result += listLines(
                scope + QStringLiteral("Sem valor de %1 na tabela de alimentos").arg(columnTitle(column)),
                foods);
    }
    const QStringList withoutRecipe = namesOf(dishes.withoutRecipe, dishType);
    if (!withoutRecipe.isEmpty())
        result += listLines(scope + QStringLiteral("Pratos sem ficha técnica"), withoutRecipe);
    const QStringList withoutYield = namesOf(dishes.withoutYield, dishType);
    if (!withoutYield.isEmpty())
        result +=
            listLines(scope + QStringLiteral("Pratos com rendimento zero na ficha técnica (sem porções para"
                                             " dividir a receita; corrija o rendimento)"),
                      withoutYield);
    const QStringList sources = missing.complementSourcesOf(dishType);
    if (!sources.isEmpty())
        result += listLines(scope + QStringLiteral("valores complementados"), sources);
    return result;
}

} // namespace

void DishesNotComputed::add(QList<Dish>& list, const MenuItem& item)
{
    const bool known = std::any_of(list.cbegin(), list.cend(), [&](const Dish& dish) {
        return dish.dishType == item.dishType && dish.name == item.dishName;
    });
    if (!known)
        list.append(Dish{item.dishType, item.dishTypeName, item.dishName});
}

QList<Line> lines(const QStringList& reportLines, const QList<NutrientColumn>& columns,
                  const NutriCardSource::MissingValues& missing, const DishesNotComputed& dishes)
{
    QList<Line> result;
    for (const QString& text : reportLines)
        result.append(Line{QString(), text});
    for (const QString& text : scopeLines(columns, missing, dishes, QString(), QString()))
        result.append(Line{kEveryDishType, text});
    QMap<QString, QString> dishTypes = missing.dishTypeNames;
    for (const QList<DishesNotComputed::Dish>* list : {&dishes.withoutRecipe, &dishes.withoutYield})
        for (const DishesNotComputed::Dish& dish : *list)
            dishTypes.insert(dish.dishType, dish.dishTypeName);
    for (auto type = dishTypes.cbegin(); type != dishTypes.cend(); ++type) {
        if (type.key().isEmpty()) // a dish of no type: no report can choose it by type
            continue;
        const QString scope = (type->isEmpty() ? type.key() : *type) + QStringLiteral(": ");
        for (const QString& text : scopeLines(columns, missing, dishes, type.key(), scope))
            result.append(Line{type.key(), text});
    }
    return result;
}

} // namespace NutriCardNotes

} // namespace KavServer::Zve41300
