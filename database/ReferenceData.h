#pragma once
// The rows every school-food database starts with, whatever fills it next (the demo or the
// generator): nutrients, general parameters, the dish-code picture, the report-key generator and
// the dish types.

#include <QSqlDatabase>
#include <QString>

namespace KavDb {

enum DishType { PratoPrincipal = 1, Acompanhamento, Guarnicao, Salada, Fruta, Bebida, Panificado, Sobremesa };

// The dish-code picture (kind 1): three levels (group, subgroup, dish) of 2, 2 and 6 digits.
constexpr int DishCodePicture = 1;
constexpr int DishLevels = 3;

constexpr int FilialCodeWidth = 4;
constexpr int MenuTypeCodeWidth = 10;
constexpr int ServiceCodeWidth = 5;
constexpr int DishTypeCodeWidth = 2;
constexpr int DishCodeWidth = 10;
constexpr int MenuNumberWidth = 10;

// A code as the database stores it: the number zero-padded to `width`.
QString storedCode(int value, int width);
// "S" or "N".
QString flag(bool value);

// The folder of the demo's foods, a subset of the food composition table (a ":/" resource).
QString demoFoodsDir();

// Writes the nutrient catalogue, PARAMGERAL, PICTURE, GERADOR and TIPOPRAT into empty tables.
// Throws Kav::Exception on a database error.
void writeReferenceData(QSqlDatabase db);

} // namespace KavDb
