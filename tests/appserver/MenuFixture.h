#pragma once
// A small school-food database whose report numbers are worked out by hand, installed on any
// engine: one central kitchen with a menu of rice and beans, a salad, a grilled-chicken option
// and a dish without a recipe.
//
// Per portion of the recipe (recipes of 10 portions unless said), before the menu's portion size:
//   rice and beans (2194 g rice, 825 g beans): 343.532 kcal, 9.445 g protein (5.485 cereal +
//     3.96 legume; net 5.1185), 31.051 mg calcium, iron 1.0725 mg incomplete (rice not analysed)
//   salad with oil (195.27 g oil): 172.61868 kcal, 0 g protein, calcium not analysed, 0 mg iron
//   grilled chicken (500 g, 5 portions): 163 kcal, 31.5 g protein, 8 mg calcium, 0.4 mg iron
//   dish without recipe: nothing known
// Menu 0000000001 of central 0010, menu type 0000000001 (adults: 1.2 portions served),
// 2026-03-02 to 2026-03-13:
//   Mon 03-02 lunch (00001): rice and beans, salad, chicken as option
//   Tue 03-03 lunch: rice and beans, dish without recipe; dinner (00002): rice and beans
//   Wed 03-04 lunch: chicken as option, and nothing else
//   Mon 03-09 lunch: chicken
//   and, past the menu's period, Mon 04-06 lunch: rice and beans (week 6 of a period from 03-02)
// Menu 0000000001 of menu type 0000000002 (crèche: 0.6 portions): Mon 03-02 lunch, rice and beans.
// Menu 0000000003 of central 0020 (whose aggregated school 0021 orders the services the other way
// round: dinner 2, lunch 9, where the central has lunch 3, dinner 5), Wednesday 2026-03-04 to
// 2026-03-17, with foods that have no protein factor (counted at 0.5), recipes of one portion served at 0.6:
//   porridge (100 g of a food without group): 100 kcal, 10 g protein, net 5 g
//   cheese toast (100 g of a food whose group has no factor): 300 kcal, 6 g protein, net 3 g
//   Wed 03-04 lunch: porridge; dinner: cheese toast
//   Thu 03-05 lunch: cheese toast
//   Mon 03-09 lunch: porridge

#include <QDate>
#include <QSqlDatabase>
#include <QString>

namespace MenuFixture {

inline const QString kCentral = QStringLiteral("0010");
inline const QString kAggregated = QStringLiteral("0011"); // aggregated to 0010, uses the menu type
inline const QString kUnlinked = QStringLiteral("0012");   // aggregated to 0010, link inactive
inline const QString kOtherCentral = QStringLiteral("0020");
inline const QString kForeign = QStringLiteral("0021"); // aggregated to 0020
inline const QString kMenuType = QStringLiteral("0000000001");
inline const QString kCrecheMenuType = QStringLiteral("0000000002");
inline constexpr double kAdultPortion = 1.2;
inline constexpr double kCrechePortion = 0.6;
inline const QString kLunch = QStringLiteral("00001");
inline const QString kDinner = QStringLiteral("00002");
// The salad's name holds what array and string literals must escape.
inline const QString kOddDishName = QStringLiteral("Salada \"verde\", {azeite}\\ l'imão");
inline const QDate kFirstDay(2026, 3, 2);
inline const QDate kLastDay(2026, 3, 13);
inline const QDate kLateDay(2026, 4, 6);
inline const QDate kMidWeekFirstDay(2026, 3, 4);
inline const QDate kMidWeekLastDay(2026, 3, 17);
inline const QString kPorridge = QStringLiteral("0000000005");
inline const QString kCheeseToast = QStringLiteral("0000000006");

// Creates the schema (replacing any) and fills the fixture. Throws Kav::Exception.
void install(QSqlDatabase db);

// Rows of a key in NUTRICARD, and whether its header exists.
int rowCount(const QSqlDatabase& db, const QString& key);
int headerCount(const QSqlDatabase& db, const QString& key);
int allRows(const QSqlDatabase& db, const QString& table);

} // namespace MenuFixture
