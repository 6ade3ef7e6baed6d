#include "NutrientCatalogue.h"

#include "KavException.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace KavDb {

namespace {

// TACO food groups (categories.csv ids) whose protein counts as animal or legume protein.
constexpr int TacoFish = 5;
constexpr int TacoMeat = 6;
constexpr int TacoMilk = 7;
constexpr int TacoEggs = 9;
constexpr int TacoLegumes = 14;

constexpr double AnimalProteinFactor = 0.7;
constexpr double LegumeProteinFactor = 0.6;
constexpr double PlantProteinFactor = 0.5;

} // namespace

const QList<Nutrient>& nutrientCatalogue()
{
    static const QList<Nutrient> catalogue = {
        {"001", "Energia", "kcal", "kcal"},
        {"002", "Proteína", "g", "protein"},
        {"003", "Lipídios", "g", "lipids"},
        {"004", "Carboidrato", "g", "carbohydrates"},
        {"005", "Fibra alimentar", "g", "dietaryFiber"},
        {"006", "Cálcio", "mg", "calcium"},
        {"007", "Ferro", "mg", "iron"},
        {"008", "Sódio", "mg", "sodium"},
        {"009", "Vitamina C", "mg", "vitaminC"},
        {"010", "Retinol", "µg", "retinol"},
        {"011", "Colesterol", "mg", "cholesterol"},
        {"012", "Magnésio", "mg", "magnesium"},
        {"013", "Fósforo", "mg", "phosphorus"},
        {"014", "Potássio", "mg", "potassium"},
        {"015", "Zinco", "mg", "zinc"},
        {"016", "Cobre", "mg", "copper"},
        {"017", "Manganês", "mg", "manganese"},
        {"018", "Tiamina", "mg", "thiamin"},
        {"019", "Riboflavina", "mg", "riboflavin"},
        {"020", "Piridoxina", "mg", "pyridoxine"},
        {"021", "Niacina", "mg", "niacin"},
        {"022", "Umidade", "g", "moisture"}, // the table's % is g per 100 g: a dish holds grams of water
        {"023", "Energia (kJ)", "kJ", "kJ"},
        {"024", "Cinzas", "g", "ash"},
        {"025", "Vitamina A (RE)", "µg", "re"},
        {"026", "Vitamina A (RAE)", "µg", "rae"},
    };
    return catalogue;
}

QString caloriesCode()
{
    return QStringLiteral("001");
}

QString proteinCode()
{
    return QStringLiteral("002");
}

double proteinFactorOfTacoGroup(int groupId)
{
    switch (groupId) {
    case TacoFish:
    case TacoMeat:
    case TacoMilk:
    case TacoEggs:
        return AnimalProteinFactor;
    case TacoLegumes:
        return LegumeProteinFactor;
    default:
        return PlantProteinFactor;
    }
}

void ensureNutrients(QSqlDatabase db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT CDNUTRIENTE FROM NUTRIENTE")))
        throw Kav::Exception(QStringLiteral("Cannot read the nutrients: %1").arg(query.lastError().text()));
    QSet<QString> present;
    while (query.next())
        present << query.value(0).toString();
    if (!query.prepare(
            QStringLiteral("INSERT INTO NUTRIENTE (CDNUTRIENTE, NMNUTRIENTE, SGUNIDADE, NMCOLTACO) "
                           "VALUES (?, ?, ?, ?)")))
        throw Kav::Exception(QStringLiteral("Cannot add the nutrients: %1").arg(query.lastError().text()));
    for (const Nutrient& nutrient : nutrientCatalogue()) {
        if (present.contains(QLatin1String(nutrient.code)))
            continue;
        query.addBindValue(QString::fromLatin1(nutrient.code));
        query.addBindValue(QString::fromUtf8(nutrient.name));
        query.addBindValue(QString::fromUtf8(nutrient.unit));
        query.addBindValue(QString::fromLatin1(nutrient.tacoColumn));
        if (!query.exec())
            throw Kav::Exception(QStringLiteral("Cannot add the nutrient %1: %2")
                                     .arg(QLatin1String(nutrient.code), query.lastError().text()));
    }
}

} // namespace KavDb
