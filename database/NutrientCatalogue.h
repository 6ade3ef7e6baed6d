#pragma once
// The nutrients the system knows: code, name, unit and the column of the food composition table
// (TACO CSV conversion) each is read from; and the protein-quality factor of each food group.

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace KavDb {

struct Nutrient
{
    const char* code;       // CDNUTRIENTE
    const char* name;       // NMNUTRIENTE
    const char* unit;       // SGUNIDADE
    const char* tacoColumn; // NMCOLTACO: header of nutrients.csv
};

const QList<Nutrient>& nutrientCatalogue();

// The nutrient codes PARAMGERAL names for calories and protein.
QString caloriesCode();
QString proteinCode();

// Factor for the net dietary protein (NDpCal%) of a TACO food group: 0.7 for animal foods
// (fish, meat, milk, eggs), 0.6 for legumes, 0.5 for cereals and the other plant foods.
double proteinFactorOfTacoGroup(int groupId);

// Inserts the catalogue's nutrients the database does not have yet (existing rows are kept:
// a site may have renamed them). Throws Kav::Exception on a database error.
void ensureNutrients(QSqlDatabase db);

} // namespace KavDb
