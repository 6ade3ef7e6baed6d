// The nutrient arithmetic of the prepared report data, worked out by hand: amounts per portion,
// not-analysed values, totals, weekly means, NDpCal%, and the checks of the lists and the kind.

#include "CodeList.h"
#include "DishComposition.h"
#include "NutriCardBuilder.h"
#include "NutriCardNotes.h"
#include "NutriCardRefusal.h"
#include "ReportKind.h"

#include <cmath>
#include <QTest>

using namespace KavServer;
using namespace KavServer::Zve41300;

namespace {

const QString kEnergy = "001";
const QString kProtein = "002";
const QString kCalcium = "003";

const QList<NutrientColumn> kColumns{
    {kEnergy, "Energia", "kcal"}, {kProtein, "Proteína", "g"}, {kCalcium, "Cálcio", "mg"}};

MenuItem item(const QDate& day, const QString& service, int order, const QString& dish, bool option = false)
{
    MenuItem menuItem;
    menuItem.day = day;
    menuItem.service = service;
    menuItem.serviceName = "Serviço " + service;
    menuItem.serviceOrder = order;
    menuItem.dishType = option ? "01" : "02";
    menuItem.dish = dish;
    menuItem.dishOwner = "P";
    menuItem.dishName = "Prato " + dish;
    menuItem.option = option;
    return menuItem;
}

NutrientAmount amount(double value, bool incomplete = false)
{
    return {value, incomplete};
}

QHash<QString, NutrientAmount> amounts(double energy, double protein, NutrientAmount calcium)
{
    return {{kEnergy, amount(energy)}, {kProtein, amount(protein)}, {kCalcium, calcium}};
}

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

const NutriCardRow* find(const QList<NutriCardRow>& rows, const QString& nutrient, const QDate& day,
                         const QString& service = {}, int week = 0)
{
    for (const NutriCardRow& row : rows)
        if (row.nutrient == nutrient && row.day == day && (service.isEmpty() || row.service == service) &&
            (week == 0 || row.week == week))
            return &row;
    return nullptr;
}

// Rice 2194 g (128 kcal, 2.5 g protein per 100 g; cereal, factor 0.5) and beans 825 g (76 kcal,
// 4.8 g protein; legume, factor 0.6), a recipe of 10 portions.
DishComposition riceAndBeans(double riceValue, double beansValue, double riceFactor = 1.0,
                             double beansFactor = 1.0)
{
    DishComposition composition;
    composition.total = 2194 * riceValue + 825 * beansValue;
    composition.netProtein = 2194 * riceValue * riceFactor + 825 * beansValue * beansFactor;
    composition.ingredients = 2;
    composition.analysed = 2;
    return composition;
}

} // namespace

class TestNutriCardBuilder : public QObject
{
    Q_OBJECT

private slots:
    void riceAndBeansPerPortion();
    void notAnalysedStaysApartFromZero_data();
    void notAnalysedStaysApartFromZero();
    void ndpcalOfTheWorkedExample();
    void ndpcalNeedsEnergy_data();
    void ndpcalNeedsEnergy();
    void perDishRowsInTheDaysOrder();
    void dailyTotalsLeaveOptionsOut();
    void weeklyMeansOverTheDaysServed();
    void weeksRunMondayToSundayFromThePeriodsFirstDay();
    void weeksCountFromTheFirstDayWithAMenu();
    void ndpcalOnIncompleteEnergyCarriesTheMark();
    void withoutNdpCalNothingIsComputed();
    void dietFiguresSumBackToTheDaysNdpcal_data();
    void dietFiguresSumBackToTheDaysNdpcal();
    void codeListsAreSplitAndNormalised_data();
    void codeListsAreSplitAndNormalised();
    void malformedCodeListsAreRefused_data();
    void malformedCodeListsAreRefused();
    void reportKinds_data();
    void reportKinds();
    void longGapListsKeepEveryFoodAcrossLines_data();
    void longGapListsKeepEveryFoodAcrossLines();
};

void TestNutriCardBuilder::riceAndBeansPerPortion()
{
    // (2194 × 128 + 825 × 76) / 100 / 10 = (280832 + 62700) / 1000 = 343.532 kcal
    QCOMPARE(*riceAndBeans(128, 76).perPortion(10).value, 343.532);
    // (2194 × 2.5 + 825 × 4.8) / 1000 = 5.485 + 3.96 = 9.445 g protein
    QVERIFY(qFuzzyCompare(*riceAndBeans(2.5, 4.8).perPortion(10).value, 9.445));
    // net: 5.485 × 0.5 + 3.96 × 0.6 = 2.7425 + 2.376 = 5.1185 g
    QVERIFY(qFuzzyCompare(*riceAndBeans(2.5, 4.8, 0.5, 0.6).netProteinPerPortion(10).value, 5.1185));
    QVERIFY(!riceAndBeans(128, 76).perPortion(10).incomplete);
}

void TestNutriCardBuilder::notAnalysedStaysApartFromZero_data()
{
    QTest::addColumn<int>("ingredients");
    QTest::addColumn<int>("analysed");
    QTest::addColumn<double>("total"); // negative: no analysed sum
    QTest::addColumn<double>("portions");
    QTest::addColumn<double>("expected"); // negative: no value
    QTest::addColumn<bool>("incomplete");
    QTest::addRow("all analysed") << 2 << 2 << 500.0 << 5.0 << 1.0 << false;
    QTest::addRow("trace is zero, not missing") << 2 << 2 << 0.0 << 5.0 << 0.0 << false;
    QTest::addRow("one of two analysed") << 2 << 1 << 500.0 << 5.0 << 1.0 << true;
    QTest::addRow("none analysed") << 2 << 0 << -1.0 << 5.0 << -1.0 << true;
    QTest::addRow("dish without recipe") << 0 << 0 << -1.0 << 5.0 << -1.0 << true;
    QTest::addRow("recipe yielding nothing") << 2 << 2 << 500.0 << 0.0 << -1.0 << true;
}

void TestNutriCardBuilder::notAnalysedStaysApartFromZero()
{
    QFETCH(int, ingredients);
    QFETCH(int, analysed);
    QFETCH(double, total);
    QFETCH(double, portions);
    QFETCH(double, expected);
    QFETCH(bool, incomplete);
    DishComposition composition;
    composition.ingredients = ingredients;
    composition.analysed = analysed;
    if (total >= 0)
        composition.total = total;
    const NutrientAmount result = composition.perPortion(portions);
    QCOMPARE(result.value.has_value(), expected >= 0);
    if (expected >= 0)
        QCOMPARE(*result.value, expected);
    QCOMPARE(result.incomplete, incomplete);
}

void TestNutriCardBuilder::ndpcalOfTheWorkedExample()
{
    // One day: rice and beans (5.485 g cereal protein × 0.5 + 3.96 g bean protein × 0.6 = 5.12 g net
    // protein) and a salad with oil (no protein), 516.15 kcal in all; the grilled chicken is an
    // option and does not count.
    const QDate monday(2026, 3, 2);
    NutriCardBuilder builder(monday, kColumns, true);
    const double beansEnergy = 343.532;
    const double saladEnergy = 172.61868; // 195.27 g of oil at 884 kcal per 100 g, 10 portions
    builder.addItem(item(monday, "00001", 3, "1"), amounts(beansEnergy, 9.445, amount(31.051)),
                    amount(beansEnergy), amount(5.1185));
    builder.addItem(item(monday, "00001", 3, "2"), amounts(saladEnergy, 0, NutrientAmount::notAnalysed()),
                    amount(saladEnergy), amount(0));
    builder.addItem(item(monday, "00001", 3, "3", true), amounts(163, 31.5, amount(8)), amount(163),
                    amount(22.05));

    const QList<NutriCardRow> daily = builder.rows(ReportKind::Layout::DailyTotals);
    const NutriCardRow* energy = find(daily, kEnergy, monday);
    QVERIFY(energy);
    QCOMPARE(rounded(*energy->amount.value, 2), 516.15);
    QVERIFY(!energy->amount.incomplete);
    QVERIFY(energy->ndpcal);
    QCOMPARE(rounded(*energy->ndpcal, 2), 3.97);
    const NutriCardRow* calcium = find(daily, kCalcium, monday);
    QCOMPARE(*calcium->amount.value, 31.051); // the salad's calcium is missing, not zero
    QVERIFY(calcium->amount.incomplete);
    // Every row of the day carries the day's NDpCal%, in every kind.
    for (const NutriCardRow& row : builder.rows(ReportKind::Layout::PerDish))
        QCOMPARE(rounded(row.ndpcal.value_or(-1), 2), 3.97);
}

void TestNutriCardBuilder::ndpcalNeedsEnergy_data()
{
    QTest::addColumn<bool>("energyKnown");
    QTest::addColumn<double>("energy");
    QTest::addRow("energy not analysed") << false << 0.0;
    QTest::addRow("no energy") << true << 0.0;
}

void TestNutriCardBuilder::ndpcalNeedsEnergy()
{
    QFETCH(bool, energyKnown);
    QFETCH(double, energy);
    const NutrientAmount energyAmount = energyKnown ? amount(energy) : NutrientAmount::notAnalysed();
    QVERIFY(!NutriCardBuilder::ndpcal(amount(5), energyAmount));
    QVERIFY(!NutriCardBuilder::ndpcal(NutrientAmount::notAnalysed(), amount(500)));
    QCOMPARE(*NutriCardBuilder::ndpcal(amount(5), amount(500)), 4.0);
}

void TestNutriCardBuilder::perDishRowsInTheDaysOrder()
{
    const QDate monday(2026, 3, 2);
    NutriCardBuilder builder(monday, kColumns, false);
    // Added out of order: dinner before lunch, Tuesday before Monday.
    builder.addItem(item(monday.addDays(1), "00001", 3, "1"), amounts(1, 1, amount(1)));
    builder.addItem(item(monday, "00002", 5, "1"), amounts(2, 2, amount(2)));
    builder.addItem(item(monday, "00001", 3, "3", true), amounts(3, 3, amount(3)));
    builder.addItem(item(monday, "00001", 3, "1"), amounts(4, 4, amount(4)));
    const QList<NutriCardRow> rows = builder.rows(ReportKind::Layout::PerDish);
    QCOMPARE(rows.size(), 4 * kColumns.size());
    QStringList order;
    for (int i = 0; i < rows.size(); i += kColumns.size())
        order << rows[i].day.toString("dd") + "/" + rows[i].service + "/" + rows[i].dish + "/" +
                     rows[i].option;
    QCOMPARE(order, QStringList({"02/00001/3/S", "02/00001/1/N", "02/00002/1/N", "03/00001/1/N"}));
    // Energy leads each dish's rows, in the columns' order.
    QCOMPARE(rows[0].nutrient, kEnergy);
    QCOMPARE(rows[2].nutrient, kCalcium);
    QCOMPARE(rows[0].serviceName, QString("Serviço 00001"));
    QCOMPARE(rows[0].dishName, QString("Prato 3"));
    QVERIFY(!rows[0].ndpcal);
}

void TestNutriCardBuilder::dailyTotalsLeaveOptionsOut()
{
    const QDate monday(2026, 3, 2);
    NutriCardBuilder builder(monday, kColumns, false);
    builder.addItem(item(monday, "00001", 3, "1"), amounts(100, 10, amount(1)));
    builder.addItem(item(monday, "00002", 5, "2"), amounts(50, 5, NutrientAmount::notAnalysed()));
    builder.addItem(item(monday, "00001", 3, "3", true), amounts(1000, 100, amount(100)));
    builder.addItem(item(monday.addDays(1), "00001", 3, "1"), amounts(7, 1, amount(1)));
    const QList<NutriCardRow> rows = builder.rows(ReportKind::Layout::DailyTotals);
    QCOMPARE(rows.size(), 2 * kColumns.size());
    QCOMPARE(*find(rows, kEnergy, monday)->amount.value, 150.0);
    QCOMPARE(*find(rows, kProtein, monday)->amount.value, 15.0);
    QVERIFY(find(rows, kCalcium, monday)->amount.incomplete);
    QVERIFY(!find(rows, kCalcium, monday.addDays(1))->amount.incomplete);
    // Total rows name no service and no dish.
    QVERIFY(rows[0].service.isNull());
    QVERIFY(rows[0].dish.isNull());
    QVERIFY(!rows[0].serviceOrder);
}

void TestNutriCardBuilder::weeklyMeansOverTheDaysServed()
{
    const QDate monday(2026, 3, 2);
    NutriCardBuilder builder(monday, kColumns, false);
    // Lunch on Monday (100 + 50 kcal) and Wednesday (90 kcal): (150 + 90) / 2 days = 120.
    builder.addItem(item(monday, "00001", 3, "1"), amounts(100, 1, amount(1)));
    builder.addItem(item(monday, "00001", 3, "2"), amounts(50, 1, amount(1)));
    builder.addItem(item(monday.addDays(2), "00001", 3, "1"), amounts(90, 1, NutrientAmount::notAnalysed()));
    // An option alone on Tuesday is no day of the menu: it neither adds nor counts.
    builder.addItem(item(monday.addDays(1), "00001", 3, "9", true), amounts(999, 9, amount(9)));
    // Dinner only on Monday: 30.
    builder.addItem(item(monday, "00002", 5, "1"), amounts(30, 1, amount(1)));
    // Next week's lunch: its own mean.
    builder.addItem(item(monday.addDays(7), "00001", 3, "1"), amounts(60, 1, amount(1)));
    const QList<NutriCardRow> rows = builder.rows(ReportKind::Layout::WeeklyMeans);
    // Per week: each service's mean, then each day's total, then the week's mean of those totals.
    QCOMPARE(rows.size(), (3 + 3 + 2) * kColumns.size());
    QCOMPARE(*find(rows, kEnergy, QDate(), "00001", 1)->amount.value, 120.0);
    QCOMPARE(find(rows, kEnergy, QDate(), "00001", 1)->days, 2);
    QCOMPARE(*find(rows, kEnergy, QDate(), "00002", 1)->amount.value, 30.0);
    QCOMPARE(*find(rows, kEnergy, QDate(), "00001", 2)->amount.value, 60.0);
    QVERIFY(find(rows, kCalcium, QDate(), "00001", 1)->amount.incomplete);
    QVERIFY(!find(rows, kCalcium, QDate(), "00002", 1)->amount.incomplete);
    QVERIFY(!find(rows, kEnergy, monday.addDays(1))); // Tuesday
    QCOMPARE(*find(rows, kEnergy, monday)->amount.value, 180.0);
    // Week 1 over its two days: (180 + 90) / 2.
    const auto weekMean = [&](int week) {
        for (const NutriCardRow& row : rows)
            if (row.week == week && row.day.isNull() && row.service.isNull() && row.nutrient == kEnergy)
                return &row;
        return static_cast<const NutriCardRow*>(nullptr);
    };
    QCOMPARE(*weekMean(1)->amount.value, 135.0);
    QCOMPARE(weekMean(1)->days, 2);
    QCOMPARE(*weekMean(2)->amount.value, 60.0);
    // Ordered by week, then by the services' order of the day, days and the week's mean last.
    QCOMPARE(rows[0].service, QString("00001"));
    QCOMPARE(rows[kColumns.size()].service, QString("00002"));
    QCOMPARE(rows[2 * kColumns.size()].day, monday);
    QCOMPARE(rows[5 * kColumns.size()].week, 2);
    QVERIFY(rows[0].day.isNull());
}

void TestNutriCardBuilder::weeksCountFromTheFirstDayWithAMenu()
{
    // The period starts on a Saturday; the menu on the Monday after: that Monday's week is week 1.
    const QDate saturday(2025, 3, 1);
    const QDate monday(2025, 3, 3);
    NutriCardBuilder builder(saturday, kColumns, false);
    builder.addItem(item(monday.addDays(7), "00001", 3, "1"), amounts(1, 1, amount(1)));
    builder.addItem(item(monday, "00001", 3, "1"), amounts(1, 1, amount(1)));
    QCOMPARE(builder.weekOf(monday), 1);
    QCOMPARE(builder.weekOf(monday.addDays(6)), 1);
    QCOMPARE(builder.weekOf(monday.addDays(7)), 2);
    QCOMPARE(builder.weekStart(1), monday);
    for (const NutriCardRow& row : builder.rows(ReportKind::Layout::DailyTotals))
        QCOMPARE(row.week, row.day == monday ? 1 : 2);
}

void TestNutriCardBuilder::ndpcalOnIncompleteEnergyCarriesTheMark()
{
    // Milk without its energy value: the day's NDpCal% rests on a partial energy.
    const QDate monday(2026, 3, 2);
    NutriCardBuilder builder(monday, kColumns, true);
    builder.addItem(item(monday, "00001", 3, "1"), amounts(400, 10, amount(1)), amount(400), amount(5));
    builder.addItem(item(monday, "00002", 5, "2"), amounts(0, 6, amount(1)),
                    NutrientAmount{std::nullopt, true}, amount(4.2));
    builder.addItem(item(monday.addDays(1), "00001", 3, "1"), amounts(400, 10, amount(1)), amount(400),
                    amount(5));
    for (const ReportKind::Layout layout :
         {ReportKind::Layout::PerDish, ReportKind::Layout::DailyTotals, ReportKind::Layout::WeeklyMeans}) {
        for (const NutriCardRow& row : builder.rows(layout)) {
            // A service's weekly row rests on that service's dishes only: 00002 served only the
            // milk, whose energy is unknown, so it has none; 00001's is complete.
            if (!row.day.isValid() && !row.service.isEmpty()) {
                QCOMPARE(bool(row.ndpcal), row.service == "00001");
                QVERIFY(!row.ndpcalIncomplete);
                continue;
            }
            QVERIFY(row.ndpcal);
            // The week holds Monday, so its NDpCal% is marked too.
            QCOMPARE(row.ndpcalIncomplete, row.day != monday.addDays(1));
        }
    }
    QCOMPARE(*find(builder.rows(ReportKind::Layout::DailyTotals), kEnergy, monday)->ndpcal,
             9.2 * 4 / 400 * 100);
}

void TestNutriCardBuilder::dietFiguresSumBackToTheDaysNdpcal_data()
{
    QTest::addColumn<bool>("withNdpCal");
    QTest::newRow("with NDpCal%") << true;
    QTest::newRow("without") << false;
}

// The rows a layout sums NDpCal% from, in every kind: each dish served (the option too) with its
// energy and net protein and no nutrient; the main dishes' give the server's own figure back.
void TestNutriCardBuilder::dietFiguresSumBackToTheDaysNdpcal()
{
    QFETCH(bool, withNdpCal);
    const QDate monday(2026, 3, 2);
    NutriCardBuilder builder(monday, kColumns, withNdpCal);
    builder.addItem(item(monday, "00001", 3, "1"), amounts(343.532, 9.445, amount(31)), amount(343.532),
                    amount(5.1185));
    builder.addItem(item(monday, "00002", 5, "2"), amounts(163, 31.5, amount(8)), amount(163, true),
                    amount(22.05));
    builder.addItem(item(monday, "00001", 3, "3", true), amounts(100, 1, amount(1)), amount(100), amount(50));
    const QList<NutriCardRow> diets = builder.dietFigures();
    QCOMPARE(diets.size(), withNdpCal ? 3 : 0);
    double energy = 0;
    double netProtein = 0;
    bool incomplete = false;
    for (const NutriCardRow& diet : diets) {
        QVERIFY(diet.nutrient.isNull());
        QVERIFY(!diet.dish.isEmpty());
        if (diet.option == QLatin1String("S"))
            continue;
        energy += *diet.energy.value;
        netProtein += *diet.netProtein.value;
        incomplete = incomplete || diet.energy.incomplete || diet.netProtein.incomplete;
    }
    if (!withNdpCal)
        return;
    const QList<NutriCardRow> days = builder.rows(ReportKind::Layout::DailyTotals);
    const NutriCardRow* day = find(days, kEnergy, monday);
    QCOMPARE(*day->ndpcal, *NutriCardBuilder::ndpcal(amount(netProtein), amount(energy)));
    QCOMPARE(day->ndpcalIncomplete, incomplete);
    QVERIFY(incomplete);
}

void TestNutriCardBuilder::weeksRunMondayToSundayFromThePeriodsFirstDay()
{
    const QDate wednesday(2026, 3, 4);
    const NutriCardBuilder builder(wednesday, kColumns, false);
    QCOMPARE(builder.weekOf(wednesday), 1);
    QCOMPARE(builder.weekOf(QDate(2026, 3, 8)), 1);  // Sunday
    QCOMPARE(builder.weekOf(QDate(2026, 3, 9)), 2);  // Monday
    QCOMPARE(builder.weekOf(QDate(2026, 3, 31)), 5); // Tuesday four weeks on
    QCOMPARE(builder.weekStart(1), wednesday);       // the period's first day, not the Monday before
    QCOMPARE(builder.weekStart(2), QDate(2026, 3, 9));
}

void TestNutriCardBuilder::withoutNdpCalNothingIsComputed()
{
    const QDate monday(2026, 3, 2);
    NutriCardBuilder builder(monday, kColumns, false);
    builder.addItem(item(monday, "00001", 3, "1"), amounts(100, 10, amount(1)), amount(100), amount(5));
    for (const ReportKind::Layout layout :
         {ReportKind::Layout::PerDish, ReportKind::Layout::DailyTotals, ReportKind::Layout::WeeklyMeans})
        for (const NutriCardRow& row : builder.rows(layout))
            QVERIFY(!row.ndpcal);
}

void TestNutriCardBuilder::codeListsAreSplitAndNormalised_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("codes");
    QTest::addRow("empty") << "" << 3 << QStringList();
    QTest::addRow("blank") << "  " << 3 << QStringList();
    QTest::addRow("one") << "001" << 3 << QStringList{"001"};
    QTest::addRow("several") << "001_002_010" << 3 << QStringList{"001", "002", "010"};
    QTest::addRow("short digits padded") << "1_20" << 3 << QStringList{"001", "020"};
    QTest::addRow("repeats dropped, order kept") << "3_1_3" << 3 << QStringList{"003", "001"};
    QTest::addRow("letters kept") << "A1_B" << 5 << QStringList{"A1", "B"};
}

void TestNutriCardBuilder::codeListsAreSplitAndNormalised()
{
    QFETCH(QString, list);
    QFETCH(int, width);
    QFETCH(QStringList, codes);
    QCOMPARE(CodeList::parse(list, width, "nutrientes"), codes);
}

void TestNutriCardBuilder::malformedCodeListsAreRefused_data()
{
    QTest::addColumn<QString>("list");
    QTest::addRow("empty piece") << "001__002";
    QTest::addRow("leading separator") << "_001";
    QTest::addRow("trailing separator") << "001_";
    QTest::addRow("code too long") << "0001";
    QTest::addRow("quote") << "00'";
    QTest::addRow("SQL pasted in") << "001) OR (1=1";
    QTest::addRow("other separator") << "001,002";
    QTest::addRow("accented letter") << "Ã01";
    QTest::addRow("too many codes") << QStringList(CodeList::kMaxCodes + 1, "001").join('_');
}

void TestNutriCardBuilder::malformedCodeListsAreRefused()
{
    QFETCH(QString, list);
    try {
        CodeList::parse(list, 3, "nutrientes");
        QFAIL("accepted");
    } catch (const NutriCardRefusal& refusal) {
        QVERIFY(refusal.message().contains("nutrientes"));
    }
}

void TestNutriCardBuilder::reportKinds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("all");
    QTest::addRow("NL") << "NL" << true << int(ReportKind::Layout::PerDish) << false;
    QTest::addRow("NT") << "NT" << true << int(ReportKind::Layout::PerDish) << true;
    QTest::addRow("DT") << "DT" << true << int(ReportKind::Layout::DailyTotals) << true;
    QTest::addRow("SL") << "SL" << true << int(ReportKind::Layout::WeeklyMeans) << false;
    QTest::addRow("empty") << "" << false << 0 << false;
    QTest::addRow("one letter") << "N" << false << 0 << false;
    QTest::addRow("three letters") << "NLT" << false << 0 << false;
    QTest::addRow("unknown layout") << "XL" << false << 0 << false;
    QTest::addRow("unknown nutrient letter") << "NX" << false << 0 << false;
}

void TestNutriCardBuilder::reportKinds()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, layout);
    QFETCH(bool, all);
    try {
        const ReportKind kind = ReportKind::parse(text);
        QVERIFY(valid);
        QCOMPARE(int(kind.layout), layout);
        QCOMPARE(kind.allNutrients, all);
    } catch (const NutriCardRefusal&) {
        QVERIFY(!valid);
    }
}

void TestNutriCardBuilder::longGapListsKeepEveryFoodAcrossLines_data()
{
    QTest::addColumn<int>("foods");
    QTest::addColumn<int>("lastNameGrowth"); // characters added to the last food's name
    QTest::addColumn<int>("expectedLines");
    // "Sem valor de Ferro (mg) na tabela de alimentos: " is 48 characters; each food below is
    // "Alimento NN de teste (nº NN)", 28, joined by "; ": 12 foods fill 48 + 12 × 28 + 11 × 2 = 406.
    QTest::addRow("one food") << 1 << 0 << 1;
    QTest::addRow("eleven foods") << 11 << 0 << 1;
    QTest::addRow("eleven, the line exactly full") << 11 << 400 - (48 + 11 * 28 + 10 * 2) << 1;
    QTest::addRow("eleven, one character over") << 11 << 401 - (48 + 11 * 28 + 10 * 2) << 2;
    QTest::addRow("twelve foods") << 12 << 0 << 2;
    QTest::addRow("forty foods") << 40 << 0 << 4;
}

void TestNutriCardBuilder::longGapListsKeepEveryFoodAcrossLines()
{
    QFETCH(int, foods);
    QFETCH(int, lastNameGrowth);
    QFETCH(int, expectedLines);
    NutriCardSource::MissingValues missing;
    QStringList expected;
    for (int n = 10; n < 10 + foods; ++n) {
        QString name = QStringLiteral("Alimento %1 de teste").arg(n);
        if (n == 10 + foods - 1)
            name += QString(lastNameGrowth, QLatin1Char('x'));
        missing.gaps.append({QStringLiteral("IRON"), n, name, QStringLiteral("01")});
        expected.append(QStringLiteral("%1 (nº %2)").arg(name).arg(n));
    }
    const QList<NutrientColumn> columns = {
        {QStringLiteral("IRON"), QStringLiteral("Ferro"), QStringLiteral("mg")}};
    const QString heading = QStringLiteral("Sem valor de Ferro (mg) na tabela de alimentos");
    QStringList printed;
    int lines = 0;
    for (const NutriCardNotes::Line& line : NutriCardNotes::lines({}, columns, missing, {})) {
        if (line.dishType != NutriCardNotes::kEveryDishType)
            continue;
        QVERIFY2(line.text.size() <= NutriCardNotes::kMaxLineLength, qPrintable(line.text));
        const QString prefix =
            heading + (lines == 0 ? QString() : QStringLiteral(" (continuação)")) + QStringLiteral(": ");
        QVERIFY2(line.text.startsWith(prefix), qPrintable(line.text));
        printed += line.text.mid(prefix.size()).split(QStringLiteral("; "));
        ++lines;
    }
    QCOMPARE(lines, expectedLines);
    QCOMPARE(printed, expected); // every food once, in order, none lost at a break
}

QTEST_GUILESS_MAIN(TestNutriCardBuilder)
#include "tst_nutricardbuilder.moc"
