#include "NutriCardNotes.h"

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

} // namespace

QStringList lines(const QList<NutrientColumn>& columns, const QList<NutriCardSource::Gap>& gaps,
                  const QStringList& complementSources, const DishesNotComputed& dishes)
{
    QStringList result;
    for (const NutrientColumn& column : columns) {
        QStringList foods;
        for (const NutriCardSource::Gap& gap : gaps)
            if (gap.nutrient == column.code)
                foods.append(QStringLiteral("%1 (nº %2)").arg(gap.foodName).arg(gap.food));
        if (!foods.isEmpty())
            result += listLines(
                QStringLiteral("Sem valor de %1 na tabela de alimentos").arg(columnTitle(column)), foods);
    }
    if (!dishes.withoutRecipe.isEmpty())
        result += listLines(QStringLiteral("Pratos sem ficha técnica"), dishes.withoutRecipe);
    if (!dishes.withoutYield.isEmpty())
        result +=
            listLines(QStringLiteral("Pratos com rendimento zero na ficha técnica (sem porções para dividir"
                                     " a receita; corrija o rendimento)"),
                      dishes.withoutYield);
    if (!complementSources.isEmpty())
        result += listLines(QStringLiteral("valores complementados"), complementSources);
    return result;
}

} // namespace NutriCardNotes
