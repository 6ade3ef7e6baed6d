// The four methods of Zve41300.rdmNutriCard through a real server and client on each engine,
// against a fixture whose numbers are worked out by hand (MenuFixture.h).

#include "MenuFixture.h"
#include "NutriCardServer.h"
#include "RdmNutriCard.h"
#include "ServerHarness.h"

#include "ConsisteServ.h"
#include "DatabaseConnection.h"
#include "KavException.h"

#include <cmath>
#include <map>
#include <QMutex>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

using namespace KavServer;
using namespace KavServer::Zve41300;

using namespace MenuFixture;
using Engine = ScratchDatabase::Engine;

namespace {

constexpr int kClients = 32;
constexpr int kClientsTimeoutMs = 180000;

struct StoredRow
{
    int line = 0;
    QDate day;
    int week = 0;
    QDate weekStart;
    QString service;
    QString serviceName;
    QString dish;
    QString option;
    QString dishName;
    QString nutrient;
    QVariant value;
    QString incomplete;
    QVariant ndpcal;
    QString ndpcalIncomplete;
    QVariant days;
};

QList<StoredRow> storedRows(const QSqlDatabase& db, const QString& key)
{
    QSqlQuery query(db);
    query.prepare(
        "SELECT NRLINHA, DTCARDAPIO, NRSEMANA, DTINISEMANA, CDSERVFILI, NMSERVICO, CDPRATO, IDOPCAO,"
        " NMPRATO, CDNUTRIENTE, VRNUTRIENTE, IDINCOMPLETO, VRNDPCAL, IDNDPCALINCOMPL, QTDIAS FROM NUTRICARD"
        " WHERE NRSEQUNUTR = ?"
        " ORDER BY NRLINHA");
    query.bindValue(0, key);
    if (!query.exec())
        throw Kav::Exception("cannot read NUTRICARD");
    QList<StoredRow> rows;
    while (query.next()) {
        rows.append({query.value(0).toInt(), query.value(1).toDate(), query.value(2).toInt(),
                     query.value(3).toDate(), query.value(4).toString(), query.value(5).toString(),
                     query.value(6).toString(), query.value(7).toString(), query.value(8).toString(),
                     query.value(9).toString(), query.value(10), query.value(11).toString(), query.value(12),
                     query.value(13).toString(), query.value(14)});
    }
    return rows;
}

// The notes a report of every dish type prints; those of one dish type with `dishType`.
QStringList storedNotes(const QSqlDatabase& db, const QString& key, const QString& dishType = QString())
{
    QSqlQuery query(db);
    query.prepare(dishType.isNull() ? "SELECT DSNOTA FROM NUTRICARDNOTA WHERE NRSEQUNUTR = ?"
                                      " AND (CDTIPOPRAT IS NULL OR CDTIPOPRAT = '*') ORDER BY NRLINHA"
                                    : "SELECT DSNOTA FROM NUTRICARDNOTA WHERE NRSEQUNUTR = ?"
                                      " AND (CDTIPOPRAT IS NULL OR CDTIPOPRAT = ?) ORDER BY NRLINHA");
    query.bindValue(0, key);
    if (!dishType.isNull())
        query.bindValue(1, dishType);
    if (!query.exec())
        throw Kav::Exception("cannot read NUTRICARDNOTA");
    QStringList notes;
    while (query.next())
        notes << query.value(0).toString();
    return notes;
}

const StoredRow* findRow(const QList<StoredRow>& rows, const QDate& day, const QString& dish,
                         const QString& nutrient, const QString& service = {}, int week = 0)
{
    for (const StoredRow& row : rows)
        if (row.day == day && row.dish == dish && row.nutrient == nutrient &&
            (service.isEmpty() || row.service == service) && (week == 0 || row.week == week))
            return &row;
    return nullptr;
}

// One row of NUTRICARDPRATO: a dish's amount of a nutrient, or (no nutrient) its energy and net protein.
struct DishFigure
{
    QDate day;
    QString dish;
    bool option = false;
    QString nutrient;
    QVariant value;
    QVariant energy;
    QVariant netProtein;
};

QList<DishFigure> dishFigures(const QSqlDatabase& db, const QString& key)
{
    QSqlQuery query(db);
    query.prepare("SELECT DTCARDAPIO, CDPRATO, IDOPCAO, CDNUTRIENTE, VRNUTRIENTE, VRENERGIA, VRPROTLIQ"
                  " FROM NUTRICARDPRATO WHERE NRSEQUNUTR = ? ORDER BY NRLINHA");
    query.bindValue(0, key);
    if (!query.exec())
        throw Kav::Exception("cannot read NUTRICARDPRATO");
    QList<DishFigure> rows;
    while (query.next())
        rows.append({query.value(0).toDate(), query.value(1).toString(), query.value(2).toString() == "S",
                     query.value(3).toString(), query.value(4), query.value(5), query.value(6)});
    return rows;
}

int generatorValue(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec("SELECT NRVALOR FROM GERADOR WHERE NMGERADOR = 'NUTRICARD'"))
        throw Kav::Exception("cannot read GERADOR");
    return query.next() ? query.value(0).toInt() : 0;
}

double rounded(const QVariant& value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value.toDouble() * scale) / scale;
}

struct Prepared
{
    QString key;
    QString columns;
};

// What the screen sends; the texts passed by reference are those of the caller.
struct Criteria
{
    QString central = kCentral;
    QString branch = kCentral;
    QString nutrients = "001_002_003_004";
    QString services = kLunch;
    QDate first = kFirstDay;
    QDate last = kLastDay;
    bool ndpcal = false;
    QString menuType = kMenuType;
    QString kind = "NL";
};

QVariant prepare(TNetConnection& connection, Criteria& criteria)
{
    return NutriCardServer(&connection)
        .CriaNutriCard(criteria.central, criteria.branch, criteria.nutrients, criteria.services,
                       QDateTime(criteria.first, QTime(0, 0)), QDateTime(criteria.last, QTime(0, 0)), false,
                       false, criteria.ndpcal, criteria.menuType, criteria.kind);
}

Prepared prepared(TNetConnection& connection, Criteria criteria)
{
    const QVariant answer = prepare(connection, criteria);
    if (answer.metaType().id() != QMetaType::QVariantList || answer.toList().size() != 2)
        throw Kav::Exception("not prepared: " + answer.toString());
    return {answer.toList().at(0).toString(), answer.toList().at(1).toString()};
}

// Runs `work` for clients 0..count-1, each on its own thread with its own connection, at once.
QStringList runClients(quint16 port, int count, const std::function<void(int, TNetConnection&)>& work)
{
    QStringList errors;
    QMutex errorsLock;
    QList<QThread*> threads;
    for (int i = 0; i < count; ++i) {
        threads.append(QThread::create([=, &errors, &errorsLock] {
            TNetConnection connection;
            connection.setServerName(Zve41300::kServerName);
            connection.setHost("127.0.0.1");
            connection.setPort(port);
            try {
                work(i, connection);
            } catch (const Kav::Exception& error) {
                QMutexLocker locker(&errorsLock);
                errors << QStringLiteral("client %1: %2").arg(i).arg(error.message());
            }
        }));
    }
    for (QThread* thread : threads)
        thread->start();
    // The server answers on this thread: keep its event loop turning until every client is done.
    const bool finished = QTest::qWaitFor(
        [&] {
            return std::all_of(threads.begin(), threads.end(), [](QThread* t) { return t->isFinished(); });
        },
        kClientsTimeoutMs);
    if (!finished)
        errors << "the clients did not finish in time";
    for (QThread* thread : threads) {
        thread->wait();
        delete thread;
    }
    return errors;
}

} // namespace

class TestRdmNutriCard : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase();

    void getServicoListsServicesInTheirOrderOfTheDay_data() { addEngines(); }
    void getServicoListsServicesInTheirOrderOfTheDay();
    void getPesqPeriodoCardListsMenusMostRecentFirst_data() { addEngines(); }
    void getPesqPeriodoCardListsMenusMostRecentFirst();
    void perDishRowsHoldTheRecipesNumbers_data() { addEngines(); }
    void perDishRowsHoldTheRecipesNumbers();
    void dailyTotalsCarryTheNdpCalOfTheWorkedExample_data() { addEngines(); }
    void dailyTotalsCarryTheNdpCalOfTheWorkedExample();
    void weeklyMeansPerServiceOverTheDaysServed_data() { addEngines(); }
    void weeklyMeansPerServiceOverTheDaysServed();
    void portionServedScalesEveryFigure_data() { addEngines(); }
    void portionServedScalesEveryFigure();
    void notesNameTheFoodsBehindEachGap_data() { addEngines(); }
    void notesNameTheFoodsBehindEachGap();
    void aFoodOfSeveralDishesServedIsNamedOnce_data() { addEngines(); }
    void aFoodOfSeveralDishesServedIsNamedOnce();
    void aPeriodWithoutMenuStoresNoRowsAndNoNotes_data() { addEngines(); }
    void aPeriodWithoutMenuStoresNoRowsAndNoNotes();
    void complementFillsOnlyEmptyCellsAndIsNoted_data() { addEngines(); }
    void vitaminACountsTheTablesRetinolWhereItGivesNoEquivalents_data() { addEngines(); }
    void vitaminACountsTheTablesRetinolWhereItGivesNoEquivalents();
    void referenceShareIsComparedOnlyWhenItFitsTheMeals_data();
    void referenceShareIsComparedOnlyWhenItFitsTheMeals();
    void weeksAreNumberedFromTheFirstDayWithAMainDish_data() { addEngines(); }
    void weeksAreNumberedFromTheFirstDayWithAMainDish();
    void notesOfADishTypeNameOnlyItsFoods_data() { addEngines(); }
    void notesOfADishTypeNameOnlyItsFoods();
    void aRecipeWithoutYieldIsNamedForWhatIsWrong_data() { addEngines(); }
    void aRecipeWithoutYieldIsNamedForWhatIsWrong();
    void serviceRowsCarryTheirOwnNdpCal_data() { addEngines(); }
    void serviceRowsCarryTheirOwnNdpCal();
    void complementFillsOnlyEmptyCellsAndIsNoted();
    void aLongPeriodIsOneReport_data() { addEngines(); }
    void aLongPeriodIsOneReport();
    void servicesOfAnotherMenuTypeAreRefused_data() { addEngines(); }
    void servicesOfAnotherMenuTypeAreRefused();
    void allNutrientsAndListsHandedBackNormalised_data() { addEngines(); }
    void allNutrientsAndListsHandedBackNormalised();
    void aggregatedBranchPrintsItsOwnServiceNames();
    void aggregatedBranchKeepsItsOwnServiceOrder_data() { addEngines(); }
    void aggregatedBranchKeepsItsOwnServiceOrder();
    void foodsWithoutProteinFactorCountAtHalf_data() { addEngines(); }
    void foodsWithoutProteinFactorCountAtHalf();
    void weeklyNdpCalIsOfTheWeeksSums_data() { addEngines(); }
    void weeklyNdpCalIsOfTheWeeksSums();
    void dishFiguresAddUpToTheDayRows_data() { addEngines(); }
    void dishFiguresAddUpToTheDayRows();
    void refusalsAreTextsAndStoreNothing_data();
    void refusalsAreTextsAndStoreNothing();
    void deletionIsIdempotentAndTouchesOnlyItsKey_data() { addEngines(); }
    void deletionIsIdempotentAndTouchesOnlyItsKey();
    void keyGeneratorSetBackStillGivesFreshKeys_data() { addEngines(); }
    void keyGeneratorSetBackStillGivesFreshKeys();
    void expiryRemovesOnlyKeysOlderThanTheAge_data() { addEngines(); }
    void expiryRemovesOnlyKeysOlderThanTheAge();
    void clientsPreparingAndDeletingAtOnceKeepApart_data() { addEngines(); }
    void clientsPreparingAndDeletingAtOnceKeepApart();

private:
    void addEngines();
    // The running server of the row's engine, or nullptr after skipping (failing in CI).
    ServerHarness* harness(Engine engine);

    std::map<Engine, std::unique_ptr<ServerHarness>> m_harnesses;
};

void TestRdmNutriCard::addEngines()
{
    QTest::addColumn<int>("engine");
    for (const Engine engine : ScratchDatabase::engines())
        QTest::addRow("%s", qPrintable(ScratchDatabase::engineName(engine))) << int(engine);
}

ServerHarness* TestRdmNutriCard::harness(Engine engine)
{
    auto& slot = m_harnesses[engine];
    if (!slot) {
        slot = std::make_unique<ServerHarness>(engine, "rdmnutricard");
        if (slot->isAvailable())
            slot->startServer();
    }
    return slot.get();
}

void TestRdmNutriCard::cleanupTestCase()
{
    m_harnesses.clear();
}

#define HARNESS(h)                                                                                           \
    QFETCH(int, engine);                                                                                     \
    ServerHarness* h = harness(Engine(engine));                                                              \
    KAV_REQUIRE_DATABASE(h->scratch())

void TestRdmNutriCard::getServicoListsServicesInTheirOrderOfTheDay()
{
    HARNESS(h);
    const Kav::DataPacket packet =
        Consiste::CheckResultServ(NutriCardServer(&h->client()).GetServico(kCentral, "1"), true, 0);
    QStringList fields;
    for (const Kav::FieldDef& field : packet.fields)
        fields << field.name;
    QCOMPARE(fields, QStringList({"IDMARCADO", "CDFILIAL", "CDTIPOCARD", "CDSERVFILI", "NMSERVICO"}));
    QCOMPARE(packet.rows.size(), 2);
    // Lunch (order 3) before dinner (order 5), although dinner's code was stored first; the menu
    // type typed short reaches the stored code.
    QCOMPARE(packet.rows[0][3].toString(), kLunch);
    QCOMPARE(packet.rows[0][4].toString(), QString("Almoço"));
    QCOMPARE(packet.rows[1][4].toString(), QString("Jantar"));
    QCOMPARE(packet.rows[0][0].toString(), QString("N"));
    QCOMPARE(packet.rows[0][2].toString(), kMenuType);
    const Kav::DataPacket none =
        Consiste::CheckResultServ(NutriCardServer(&h->client()).GetServico("9999", kMenuType), true, 0);
    QCOMPARE(none.rows.size(), 0);
    QCOMPARE(none.fields.size(), 5);
}

void TestRdmNutriCard::getPesqPeriodoCardListsMenusMostRecentFirst()
{
    HARNESS(h);
    const Kav::DataPacket packet = Consiste::CheckResultServ(
        NutriCardServer(&h->client()).GetPesqPeriodoCard(kCentral, kMenuType), true, 0);
    QCOMPARE(packet.rows.size(), 2);
    QCOMPARE(packet.rows[0][0].toString(), QString("0000000001"));
    QCOMPARE(packet.rows[0][1].toDate(), kFirstDay);
    QCOMPARE(packet.rows[0][2].toDate(), kLastDay);
    QCOMPARE(packet.rows[0][3].toString(), QString("Março, 1ª quinzena"));
    QCOMPARE(packet.rows[1][1].toDate(), QDate(2026, 2, 2));
    QCOMPARE(packet.fields[1].type, Kav::FieldDef::Type::Date);
}

void TestRdmNutriCard::perDishRowsHoldTheRecipesNumbers()
{
    HARNESS(h);
    const Prepared answer = prepared(h->client(), Criteria());
    QVERIFY(!answer.key.isEmpty());
    QVERIFY(answer.key.size() <= 10);
    QCOMPARE(answer.columns, QString("_001_002_003_004"));
    const QList<StoredRow> rows = storedRows(h->db(), answer.key);
    QCOMPARE(rows.size(), 7 * 4); // seven lunch items in the period, four nutrients
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows[i].line, i + 1);
    const QDate monday(2026, 3, 2);
    const StoredRow* energy = findRow(rows, monday, "0000000001", "001");
    QVERIFY(energy);
    QCOMPARE(energy->value.toDouble(), 343.532 * kAdultPortion);
    QCOMPARE(energy->incomplete, QString("N"));
    QCOMPARE(energy->serviceName, QString("Almoço"));
    QCOMPARE(energy->week, 1);
    QCOMPARE(findRow(rows, monday, "0000000001", "002")->value.toDouble(), 11.334);
    QCOMPARE(findRow(rows, monday, "0000000001", "003")->value.toDouble(), 37.2612);
    const StoredRow* iron = findRow(rows, monday, "0000000001", "004");
    QCOMPARE(iron->value.toDouble(), 1.287); // beans only: the rice's iron is not analysed
    QCOMPARE(iron->incomplete, QString("S"));
    const StoredRow* saladCalcium = findRow(rows, monday, "0000000002", "003");
    QVERIFY(saladCalcium->value.isNull()); // not analysed, not zero
    QCOMPARE(saladCalcium->incomplete, QString("S"));
    QCOMPARE(saladCalcium->dishName, kOddDishName);
    const StoredRow* saladIron = findRow(rows, monday, "0000000002", "004");
    QCOMPARE(saladIron->value.toDouble(), 0.0); // analysed as zero
    QCOMPARE(saladIron->incomplete, QString("N"));
    QCOMPARE(findRow(rows, monday, "0000000003", "001")->option, QString("S"));
    QCOMPARE(findRow(rows, monday, "0000000003", "002")->value.toDouble(), 37.8);
    const StoredRow* noRecipe = findRow(rows, QDate(2026, 3, 3), "0000000004", "001");
    QVERIFY(noRecipe->value.isNull());
    QCOMPARE(noRecipe->incomplete, QString("S"));
    const StoredRow* secondWeek = findRow(rows, QDate(2026, 3, 9), "0000000003", "001");
    QCOMPARE(secondWeek->week, 2);
    QCOMPARE(secondWeek->weekStart, QDate(2026, 3, 9));
    QVERIFY(energy->ndpcal.isNull()); // not asked
    QCOMPARE(headerCount(h->db(), answer.key), 1);
}

void TestRdmNutriCard::dailyTotalsCarryTheNdpCalOfTheWorkedExample()
{
    HARNESS(h);
    Criteria criteria;
    criteria.kind = "DL";
    criteria.ndpcal = true;
    criteria.nutrients = "003_001"; // protein not among the columns: NDpCal% still reads it
    const Prepared lunch = prepared(h->client(), criteria);
    QCOMPARE(lunch.columns, QString("_001_003"));
    const QList<StoredRow> rows = storedRows(h->db(), lunch.key);
    // Three days with a main dish at lunch, two nutrients: Wednesday, with its option alone, is no
    // day of the menu.
    QCOMPARE(rows.size(), 3 * 2);
    QVERIFY(!findRow(rows, QDate(2026, 3, 4), QString(), "001"));
    const QDate monday(2026, 3, 2);
    const StoredRow* energy = findRow(rows, monday, QString(), "001");
    QVERIFY(energy);
    // (343.532 + 172.61868) × 1.2; the chicken is an option and is not added
    QCOMPARE(rounded(energy->value, 4), 619.3808);
    QVERIFY(energy->service.isEmpty());
    // (5.485 × 0.5 + 3.96 × 0.6) × 4 / 516.15 × 100
    QCOMPARE(rounded(energy->ndpcal, 2), 3.97);
    QCOMPARE(energy->ndpcalIncomplete, QString("N"));
    QCOMPARE(findRow(rows, monday, QString(), "003")->incomplete, QString("S"));
    // Tuesday's energy lacks the dish without a recipe: its NDpCal% carries the mark.
    QCOMPARE(findRow(rows, QDate(2026, 3, 3), QString(), "001")->ndpcalIncomplete, QString("S"));

    criteria.services = QString(kLunch) + "_" + kDinner;
    criteria.nutrients = "001";
    const QList<StoredRow> both = storedRows(h->db(), prepared(h->client(), criteria).key);
    const StoredRow* tuesday = findRow(both, QDate(2026, 3, 3), QString(), "001");
    QCOMPARE(rounded(tuesday->value, 4), 824.4768); // rice and beans at lunch and at dinner
    QCOMPARE(tuesday->incomplete, QString("S"));    // the dish without a recipe
}

void TestRdmNutriCard::weeklyMeansPerServiceOverTheDaysServed()
{
    HARNESS(h);
    Criteria criteria;
    criteria.kind = "SL";
    criteria.nutrients = "001";
    criteria.services = QString(kDinner) + "_" + kLunch;
    const QList<StoredRow> rows = storedRows(h->db(), prepared(h->client(), criteria).key);
    // Week 1: lunch, dinner, the days Monday and Tuesday, the week's mean; week 2: lunch, its day,
    // its mean. Wednesday's lone option dish makes no day.
    QCOMPARE(rows.size(), 8);
    // Lunch: (516.15068 + 343.532) × 1.2 / 2 days; dinner: 343.532 × 1.2 on its one day.
    QCOMPARE(rows[0].service, kLunch);
    QCOMPARE(rows[0].week, 1);
    QCOMPARE(rounded(rows[0].value, 5), 515.80961);
    QCOMPARE(rows[0].days, 2);
    QCOMPARE(rows[0].incomplete, QString("S"));
    QVERIFY(rows[0].day.isNull());
    QCOMPARE(rows[0].weekStart, kFirstDay);
    QCOMPARE(rows[1].service, kDinner);
    QCOMPARE(rows[1].value.toDouble(), 343.532 * kAdultPortion);
    QCOMPARE(rows[1].days, 1);
    // The days' totals over both services, then their mean: (619.380816 + 824.4768) / 2.
    QCOMPARE(rows[2].day, QDate(2026, 3, 2));
    QVERIFY(rows[2].service.isEmpty());
    QCOMPARE(rounded(rows[3].value, 4), 824.4768);
    QVERIFY(rows[4].day.isNull());
    QVERIFY(rows[4].service.isEmpty());
    QCOMPARE(rounded(rows[4].value, 6), 721.928808);
    QCOMPARE(rows[4].days, 2);
    QCOMPARE(rows[5].week, 2);
    QCOMPARE(rows[5].value.toDouble(), 163.0 * kAdultPortion);
    QCOMPARE(rows[7].days, 1);
}

void TestRdmNutriCard::portionServedScalesEveryFigure()
{
    HARNESS(h);
    Criteria criteria;
    criteria.nutrients = "001_002";
    criteria.first = criteria.last = QDate(2026, 3, 2);
    const QList<StoredRow> adult = storedRows(h->db(), prepared(h->client(), criteria).key);
    criteria.menuType = kCrecheMenuType;
    const QList<StoredRow> creche = storedRows(h->db(), prepared(h->client(), criteria).key);
    const QDate monday(2026, 3, 2);
    for (const QString& nutrient : {QString("001"), QString("002")}) {
        const StoredRow* full = findRow(adult, monday, "0000000001", nutrient);
        const StoredRow* small = findRow(creche, monday, "0000000001", nutrient);
        QVERIFY(full && small);
        QCOMPARE(small->value.toDouble() / full->value.toDouble(), kCrechePortion / kAdultPortion);
    }
    QCOMPARE(findRow(creche, monday, "0000000001", "001")->value.toDouble(), 343.532 * kCrechePortion);
}

void TestRdmNutriCard::notesNameTheFoodsBehindEachGap()
{
    HARNESS(h);
    const Prepared answer = prepared(h->client(), Criteria());
    const QStringList notes = storedNotes(h->db(), answer.key);
    QCOMPARE(notes,
             QStringList({"Sem valor de Cálcio (mg) na tabela de alimentos: Óleo, de soja (nº 3)",
                          "Sem valor de Ferro (mg) na tabela de alimentos: Arroz, tipo 1, cozido (nº 1)",
                          "Pratos sem ficha técnica: Purê sem ficha"}));
    // Deleting the key takes its notes too.
    QString key = answer.key;
    QCOMPARE(NutriCardServer(&h->client()).DelNutriCard(key).toString(), QString());
    QVERIFY(storedNotes(h->db(), answer.key).isEmpty());
}

void TestRdmNutriCard::aFoodOfSeveralDishesServedIsNamedOnce()
{
    HARNESS(h);
    // Rice (no iron) goes into the chicken too, oil (no calcium) into the rice and beans; the
    // foods of the other central's dishes, not served here, stay out of the notes.
    QSqlQuery recipe(h->db());
    QVERIFY(recipe.exec("INSERT INTO FICHATEC (CDPRATO, CDFILAUXPRAT, CDALIMENTO, QTPESOLIQ)"
                        " VALUES ('0000000003', '0010', 1, 100)"));
    QVERIFY(recipe.exec("INSERT INTO FICHATEC (CDPRATO, CDFILAUXPRAT, CDALIMENTO, QTPESOLIQ)"
                        " VALUES ('0000000001', 'P', 3, 10)"));
    const Prepared answer = prepared(h->client(), Criteria());
    QVERIFY(recipe.exec("DELETE FROM FICHATEC WHERE (CDPRATO = '0000000003' AND CDALIMENTO = 1)"
                        " OR (CDPRATO = '0000000001' AND CDALIMENTO = 3)"));
    QCOMPARE(storedNotes(h->db(), answer.key),
             QStringList({"Sem valor de Cálcio (mg) na tabela de alimentos: Óleo, de soja (nº 3)",
                          "Sem valor de Ferro (mg) na tabela de alimentos: Arroz, tipo 1, cozido (nº 1)",
                          "Pratos sem ficha técnica: Purê sem ficha"}));
    // The chicken's iron now misses the rice's: counted once per recipe line, not per food.
    const QList<StoredRow> rows = storedRows(h->db(), answer.key);
    const StoredRow* iron = findRow(rows, QDate(2026, 3, 2), "0000000003", "004");
    QVERIFY(iron);
    QCOMPARE(iron->incomplete, QString("S"));
}

void TestRdmNutriCard::aPeriodWithoutMenuStoresNoRowsAndNoNotes()
{
    HARNESS(h);
    Criteria criteria;
    criteria.first = QDate(2026, 3, 14); // a weekend between the menu's two weeks
    criteria.last = QDate(2026, 3, 15);
    criteria.kind = "NT";
    // No key of no rows: the screen would print a report of nothing. The refusal says why.
    const int headers = allRows(h->db(), "NUTRICARDCAB");
    const int notes = allRows(h->db(), "NUTRICARDNOTA");
    const QVariant answer = prepare(h->client(), criteria);
    QCOMPARE(answer.toString(),
             QString("Não há cardápio de 14/03/2026 a 15/03/2026 para os serviços informados."));
    QCOMPARE(allRows(h->db(), "NUTRICARDCAB"), headers);
    QCOMPARE(allRows(h->db(), "NUTRICARDNOTA"), notes);
}

void TestRdmNutriCard::complementFillsOnlyEmptyCellsAndIsNoted()
{
    HARNESS(h);
    QSqlQuery complement(h->db());
    QVERIFY(complement.exec("INSERT INTO COMPALIMCOMPL (CDALIMENTO, CDNUTRIENTE, VRNUTRIENTE, DSFONTE)"
                            " VALUES (1, '004', 0.2, 'Fonte do ferro')"));
    QVERIFY(complement.exec("INSERT INTO COMPALIMCOMPL (CDALIMENTO, CDNUTRIENTE, VRNUTRIENTE, DSFONTE)"
                            " VALUES (2, '001', 999, 'Fonte ignorada')"));
    Criteria criteria;
    criteria.first = criteria.last = QDate(2026, 3, 2);
    const Prepared answer = prepared(h->client(), criteria);
    QVERIFY(complement.exec("DELETE FROM COMPALIMCOMPL"));
    const QList<StoredRow> rows = storedRows(h->db(), answer.key);
    const QDate monday(2026, 3, 2);
    // Rice now has iron (2194 g × 0.2 + 825 g × 1.3) / 100 / 10 portions × 1.2; the beans' energy
    // stays the table's own.
    const StoredRow* iron = findRow(rows, monday, "0000000001", "004");
    QCOMPARE(rounded(iron->value, 6), 1.81356);
    QCOMPARE(iron->incomplete, QString("N"));
    QCOMPARE(findRow(rows, monday, "0000000001", "001")->value.toDouble(), 343.532 * kAdultPortion);
    const QStringList notes = storedNotes(h->db(), answer.key);
    QVERIFY(notes.contains("valores complementados: Fonte do ferro"));
    QVERIFY(!notes.join('\n').contains("Fonte ignorada"));
    QVERIFY(!notes.join('\n').contains("Ferro"));
}

// Foods and dishes of vitamin A, with the food table's own cells (per 100 g: whole milk, boiled egg
// and the sweet corn pudding give retinol; carrot and the pudding give RE and RAE), served at the
// adult portion on Wednesday 03-11, added for one test and taken away again.
class VitaminAMenu
{
public:
    static constexpr int kMilk = 458, kEgg = 488, kCarrot = 110, kPudding = 29;

    explicit VitaminAMenu(const QSqlDatabase& db) : m_db(db)
    {
        run({"INSERT INTO NUTRIENTE (CDNUTRIENTE, NMNUTRIENTE, SGUNIDADE, NMCOLTACO) VALUES"
             " ('010', 'Retinol', 'µg', 'retinol')",
             "INSERT INTO NUTRIENTE (CDNUTRIENTE, NMNUTRIENTE, SGUNIDADE, NMCOLTACO) VALUES"
             " ('025', 'Vitamina A (RE)', 'µg', 're')",
             "INSERT INTO NUTRIENTE (CDNUTRIENTE, NMNUTRIENTE, SGUNIDADE, NMCOLTACO) VALUES"
             " ('026', 'Vitamina A (RAE)', 'µg', 'rae')",
             "INSERT INTO ALIMENTO (CDALIMENTO, NMALIMENTO, CDGRUPOALIM) VALUES (458, 'Leite, de vaca, "
             "integral', 4)",
             "INSERT INTO ALIMENTO (CDALIMENTO, NMALIMENTO, CDGRUPOALIM) VALUES"
             " (488, 'Ovo, de galinha, inteiro, cozido/10minutos', 4)",
             "INSERT INTO ALIMENTO (CDALIMENTO, NMALIMENTO, CDGRUPOALIM) VALUES (110, 'Cenoura, crua', 1)",
             "INSERT INTO ALIMENTO (CDALIMENTO, NMALIMENTO, CDGRUPOALIM) VALUES (29, 'Curau, milho verde', "
             "1)"});
        // The table's empty cells are stored as NULL rows, as its import stores them.
        value(kMilk, "010", 21);
        value(kMilk, "025", {});
        value(kMilk, "026", {});
        value(kEgg, "010", 32);
        value(kEgg, "025", {});
        value(kEgg, "026", {});
        value(kCarrot, "010", {});
        value(kCarrot, "025", 1326);
        value(kCarrot, "026", 663);
        value(kPudding, "010", 12);
        value(kPudding, "025", 20);
        value(kPudding, "026", 16);
        dish("0000000101", "Leite", 1, {{kMilk, 200}});
        dish("0000000102", "Ovo cozido", 1, {{kEgg, 50}});
        dish("0000000103", "Cenoura ralada", 1, {{kCarrot, 100}});
        dish("0000000104", "Vitamina de cenoura", 2, {{kMilk, 100}, {kCarrot, 30}});
        dish("0000000105", "Curau", 1, {{kPudding, 100}});
        // Rice and beans: foods with neither retinol nor RE/RAE.
        serve("0000000001", "P");
    }
    ~VitaminAMenu()
    {
        run({"DELETE FROM ITCARDZVE WHERE NRSEQITEM > 100",
             "DELETE FROM FICHATEC WHERE CDPRATO > '0000000100'",
             "DELETE FROM PRATO WHERE CDPRATO > '0000000100'",
             "DELETE FROM COMPALIM WHERE CDNUTRIENTE IN ('010', '025', '026')",
             "DELETE FROM ALIMENTO WHERE CDALIMENTO IN (458, 488, 110, 29)",
             "DELETE FROM NUTRIENTE WHERE CDNUTRIENTE IN ('010', '025', '026')"});
    }
    static QDate day() { return QDate(2026, 3, 11); }

private:
    void run(const QStringList& statements)
    {
        for (const QString& sql : statements) {
            QSqlQuery query(m_db);
            if (!query.exec(sql))
                qWarning("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        }
    }
    void value(int food, const QString& nutrient, const QVariant& amount)
    {
        QSqlQuery query(m_db);
        query.prepare("INSERT INTO COMPALIM (CDALIMENTO, CDNUTRIENTE, VRNUTRIENTE) VALUES (?, ?, ?)");
        query.addBindValue(food);
        query.addBindValue(nutrient);
        query.addBindValue(amount.isValid() ? amount : QVariant(QMetaType::fromType<double>()));
        if (!query.exec())
            qWarning("COMPALIM: %s", qPrintable(query.lastError().text()));
    }
    void dish(const QString& code, const QString& name, int portions,
              const QList<std::pair<int, double>>& lines)
    {
        run({QString("INSERT INTO PRATO (CDPRATO, CDFILAUXPRAT, NMPRATO, CDNVPRATO, CDTIPOPRAT, QTRENDPRATO)"
                     " VALUES ('%1', 'P', '%2', 1, '01', %3)")
                 .arg(code, name)
                 .arg(portions)});
        for (const auto& [food, grams] : lines)
            run({QString("INSERT INTO FICHATEC (CDPRATO, CDFILAUXPRAT, CDALIMENTO, QTPESOLIQ) VALUES ('%1', "
                         "'P', %2, %3)")
                     .arg(code)
                     .arg(food)
                     .arg(grams)});
        serve(code, "P");
    }
    void serve(const QString& code, const QString& owner)
    {
        QSqlQuery query(m_db);
        query.prepare("INSERT INTO ITCARDZVE (CDFILCENTZVE, CDTIPOCARD, NRCARDZVE, NRSEQITEM, DTCARDAPIO,"
                      " CDSERVFILI, CDTIPOPRAT, CDPRATO, CDFILAUXPRAT, IDOPCAO, QTPORCAO)"
                      " VALUES (?, ?, '0000000001', ?, ?, ?, '01', ?, ?, 'N', ?)");
        for (const QVariant& v :
             QVariantList{kCentral, kMenuType, ++m_item, day(), kLunch, code, owner, kAdultPortion})
            query.addBindValue(v);
        if (!query.exec())
            qWarning("ITCARDZVE: %s", qPrintable(query.lastError().text()));
    }

    QSqlDatabase m_db;
    int m_item = 100;
};

void TestRdmNutriCard::vitaminACountsTheTablesRetinolWhereItGivesNoEquivalents()
{
    HARNESS(h);
    const VitaminAMenu menu(h->db());
    Criteria criteria;
    criteria.nutrients = "025_026";
    criteria.first = criteria.last = VitaminAMenu::day();
    const Prepared answer = prepared(h->client(), criteria);
    const QList<StoredRow> rows = storedRows(h->db(), answer.key);
    struct Expected
    {
        const char* dish;
        double re; // per portion of the recipe, before the adult portion
        double rae;
    };
    // 200 g milk × 21 µg retinol / 100; 50 g egg × 32 / 100; the carrot's own RE and RAE;
    // (100 g milk × 21 + 30 g carrot × 1326 or 663) / 100 / 2 portions; the pudding's RE and RAE,
    // which already hold its retinol (12), not added again.
    const QList<Expected> expected = {{"0000000101", 42.0, 42.0},
                                      {"0000000102", 16.0, 16.0},
                                      {"0000000103", 1326.0, 663.0},
                                      {"0000000104", 209.4, 109.95},
                                      {"0000000105", 20.0, 16.0}};
    for (const Expected& dish : expected) {
        for (const auto& [nutrient, amount] : {std::pair{"025", dish.re}, std::pair{"026", dish.rae}}) {
            const StoredRow* row = findRow(rows, VitaminAMenu::day(), dish.dish, nutrient);
            QVERIFY2(row, dish.dish);
            QCOMPARE(rounded(row->value, 6), rounded(amount * kAdultPortion, 6));
            QCOMPARE(row->incomplete, QString("N"));
        }
    }
    // Rice and beans have neither: a gap, named in the notes with the rule the others rest on.
    const StoredRow* riceAndBeans = findRow(rows, VitaminAMenu::day(), "0000000001", "025");
    QVERIFY(riceAndBeans);
    QVERIFY(riceAndBeans->value.isNull());
    QCOMPARE(riceAndBeans->incomplete, QString("S"));
    const QStringList notes = storedNotes(h->db(), answer.key);
    QVERIFY2(notes.contains("Sem valor de Vitamina A (RE) (µg) na tabela de alimentos: Arroz, tipo 1, cozido"
                            " (nº 1); Feijão, carioca, cozido (nº 2)"),
             qPrintable(notes.join('\n')));
    QVERIFY2(notes.join('\n').contains("(1 µg de retinol = 1 µg RE = 1 µg RAE)"),
             qPrintable(notes.join('\n')));
    QVERIFY(!notes.join('\n').contains("Leite"));
    QVERIFY(!notes.join('\n').contains("Cenoura"));
}

// The adults' menu type serves lunch and dinner: two meals a day fit the share of 30% only.
void TestRdmNutriCard::referenceShareIsComparedOnlyWhenItFitsTheMeals_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<double>("share");
    QTest::addColumn<QVariant>("compared");
    QTest::addColumn<QString>("note");
    for (const Engine engine : ScratchDatabase::engines()) {
        const QString name = ScratchDatabase::engineName(engine);
        QTest::addRow("%s, one-meal share", qPrintable(name))
            << int(engine) << 20.0 << QVariant()
            << "Referência: Teste, 6 a 10 anos, 20% das necessidades diárias, cobertura que supõe 1 refeição "
               "por"
               " dia (Res. CD/FNDE nº 6/2020, Art. 18); o tipo de cardápio tem 2 serviços por dia: os "
               "limites que"
               " dependem da cobertura não são comparados. Corrija a cobertura do tipo de cardápio.";
        QTest::addRow("%s, two or more meals", qPrintable(name))
            << int(engine) << 30.0 << QVariant(30.0)
            << "Referência: Teste, 6 a 10 anos, 30% das necessidades diárias (Res. CD/FNDE nº 6/2020, Art. "
               "18: 2"
               " ou mais refeições por dia); o tipo de cardápio tem 2 serviços por dia.";
        QTest::addRow("%s, three meals or more", qPrintable(name))
            << int(engine) << 70.0 << QVariant()
            << "70% das necessidades diárias, cobertura que supõe 3 ou mais";
        QTest::addRow("%s, a share of no rule", qPrintable(name))
            << int(engine) << 32.5 << QVariant(32.5)
            << "32,5% das necessidades diárias (cobertura que a Res.";
    }
}

void TestRdmNutriCard::referenceShareIsComparedOnlyWhenItFitsTheMeals()
{
    HARNESS(h);
    QFETCH(double, share);
    QFETCH(QVariant, compared);
    QFETCH(QString, note);
    QSqlQuery sql(h->db());
    QVERIFY(sql.exec("INSERT INTO CONJREF (CDCONJREF, NMCONJREF, DSFONTE) VALUES ('T', 'Teste', 'fonte')"));
    QVERIFY(sql.exec("INSERT INTO FAIXAETARIA (CDFAIXAETAR, NMFAIXAETAR) VALUES ('6-10', '6 a 10 anos')"));
    QVERIFY(sql.prepare("UPDATE TIPOCARD SET CDCONJREF = 'T', CDFAIXAETAR = '6-10', PCCOBERTURA = ?"
                        " WHERE CDFILCENTZVE = ? AND CDTIPOCARD = ?"));
    sql.addBindValue(share);
    sql.addBindValue(kCentral);
    sql.addBindValue(kMenuType);
    QVERIFY(sql.exec());
    Criteria criteria;
    criteria.first = criteria.last = QDate(2026, 3, 3);
    const QString key = prepared(h->client(), criteria).key;
    QVERIFY(sql.exec("UPDATE TIPOCARD SET CDCONJREF = NULL, CDFAIXAETAR = NULL, PCCOBERTURA = NULL"));
    QVERIFY(sql.exec("DELETE FROM FAIXAETARIA"));
    QVERIFY(sql.exec("DELETE FROM CONJREF"));
    const QStringList notes = storedNotes(h->db(), key);
    QVERIFY2(!notes.isEmpty() && notes.first().contains(note), qPrintable(notes.join('\n')));
    // The other notes follow it, as before.
    QVERIFY2(notes.contains("Pratos sem ficha técnica: Purê sem ficha"), qPrintable(notes.join('\n')));
    QVERIFY(sql.prepare("SELECT PCCOBERTURA FROM NUTRICARDCAB WHERE NRSEQUNUTR = ?"));
    sql.addBindValue(key);
    QVERIFY(sql.exec() && sql.next());
    QCOMPARE(sql.value(0).isNull(), compared.isNull());
    if (!compared.isNull())
        QCOMPARE(sql.value(0).toDouble(), compared.toDouble());
}

// 03-04 serves only the chicken as an option: the first week with a main dish is that of 03-09.
void TestRdmNutriCard::weeksAreNumberedFromTheFirstDayWithAMainDish()
{
    HARNESS(h);
    Criteria criteria;
    criteria.kind = "SL";
    criteria.nutrients = "001";
    criteria.first = QDate(2026, 3, 4);
    const QList<StoredRow> rows = storedRows(h->db(), prepared(h->client(), criteria).key);
    QVERIFY(!rows.isEmpty());
    for (const StoredRow& row : rows) {
        QCOMPARE(row.week, 1);
        QCOMPARE(row.weekStart, QDate(2026, 3, 9));
    }
    // The dishes' listing keeps the option, in a week of its own before the first.
    criteria.kind = "NL";
    const QList<StoredRow> dishes = storedRows(h->db(), prepared(h->client(), criteria).key);
    const StoredRow* option = findRow(dishes, QDate(2026, 3, 4), "0000000003", "001");
    const StoredRow* main = findRow(dishes, QDate(2026, 3, 9), "0000000003", "001");
    QVERIFY(option && main);
    QCOMPARE(main->week, 1);
    QVERIFY(option->week < main->week);
}

// Monday and Tuesday's lunch: rice and beans (main dish, 01: the rice lacks iron), the salad
// (03: the oil lacks calcium), the dish without a recipe (02) and the chicken option (01).
void TestRdmNutriCard::notesOfADishTypeNameOnlyItsFoods()
{
    HARNESS(h);
    QSqlQuery complement(h->db());
    QVERIFY(complement.exec("INSERT INTO COMPALIMCOMPL (CDALIMENTO, CDNUTRIENTE, VRNUTRIENTE, DSFONTE)"
                            " VALUES (3, '003', 0, 'Óleo: não se aplica')"));
    Criteria criteria;
    criteria.last = QDate(2026, 3, 3);
    const QString key = prepared(h->client(), criteria).key;
    QVERIFY(complement.exec("DELETE FROM COMPALIMCOMPL"));
    QCOMPARE(storedNotes(h->db(), key),
             QStringList({"Sem valor de Ferro (mg) na tabela de alimentos: Arroz, tipo 1, cozido (nº 1)",
                          "Pratos sem ficha técnica: Purê sem ficha",
                          "valores complementados: Óleo: não se aplica"}));
    QCOMPARE(storedNotes(h->db(), key, "01"),
             QStringList({"Prato principal: Sem valor de Ferro (mg) na tabela de alimentos: Arroz, tipo 1, "
                          "cozido (nº 1)"}));
    QCOMPARE(storedNotes(h->db(), key, "02"),
             QStringList({"Guarnição: Pratos sem ficha técnica: Purê sem ficha"}));
    QCOMPARE(storedNotes(h->db(), key, "03"),
             QStringList({"Salada: valores complementados: Óleo: não se aplica"}));
}

void TestRdmNutriCard::aRecipeWithoutYieldIsNamedForWhatIsWrong()
{
    HARNESS(h);
    QSqlQuery sql(h->db());
    QVERIFY(sql.exec("UPDATE PRATO SET QTRENDPRATO = 0 WHERE CDPRATO = '0000000003'"));
    Criteria criteria;
    criteria.first = QDate(2026, 3, 3);
    criteria.last = QDate(2026, 3, 9);
    const QString key = prepared(h->client(), criteria).key;
    QVERIFY(sql.exec("UPDATE PRATO SET QTRENDPRATO = 5 WHERE CDPRATO = '0000000003'"));
    const QStringList notes = storedNotes(h->db(), key);
    QVERIFY2(notes.contains("Pratos sem ficha técnica: Purê sem ficha"), qPrintable(notes.join('\n')));
    QVERIFY2(notes.contains("Pratos com rendimento zero na ficha técnica (sem porções para dividir a receita;"
                            " corrija o rendimento): Frango grelhado"),
             qPrintable(notes.join('\n')));
    const QList<StoredRow> rows = storedRows(h->db(), key);
    const StoredRow* chicken = findRow(rows, QDate(2026, 3, 9), "0000000003", "001");
    QVERIFY(chicken);
    QVERIFY(chicken->value.isNull());
    QCOMPARE(chicken->incomplete, QString("S"));
}

// Week 1 serves rice and beans at dinner and, at lunch, also the salad of oil: each service's
// NDpCal% is of its own dishes, the week's of both.
void TestRdmNutriCard::serviceRowsCarryTheirOwnNdpCal()
{
    HARNESS(h);
    Criteria criteria;
    criteria.kind = "SL";
    criteria.nutrients = "001";
    criteria.ndpcal = true;
    criteria.services = QString(kDinner) + "_" + kLunch;
    criteria.last = QDate(2026, 3, 6);
    const QList<StoredRow> rows = storedRows(h->db(), prepared(h->client(), criteria).key);
    const auto weekRow = [&](const QString& service) -> const StoredRow* {
        for (const StoredRow& row : rows)
            if (row.week == 1 && row.day.isNull() && row.service == service)
                return &row;
        return nullptr;
    };
    const StoredRow* dinner = weekRow(kDinner);
    const StoredRow* lunch = weekRow(kLunch);
    const StoredRow* week = weekRow(QString());
    QVERIFY(dinner && lunch && week);
    // Rice and beans: 5.1185 g net protein × 4 kcal over 343.532 kcal.
    QCOMPARE(rounded(dinner->ndpcal, 6), rounded(5.1185 * 4 / 343.532 * 100, 6));
    // Lunch: twice rice and beans and once the salad, whose oil has energy and no protein.
    QCOMPARE(rounded(lunch->ndpcal, 6), rounded(2 * 5.1185 * 4 / (2 * 343.532 + 172.61868) * 100, 6));
    // The week: three times rice and beans and the salad.
    QCOMPARE(rounded(week->ndpcal, 6), rounded(3 * 5.1185 * 4 / (3 * 343.532 + 172.61868) * 100, 6));
}

void TestRdmNutriCard::aLongPeriodIsOneReport()
{
    // Rows are built a few weeks at a time: a period past that keeps one numbering of lines and
    // weeks, and its weekly means.
    HARNESS(h);
    Criteria criteria;
    criteria.nutrients = "001";
    criteria.last = kLateDay.addDays(4);
    const QList<StoredRow> perDish = storedRows(h->db(), prepared(h->client(), criteria).key);
    QCOMPARE(perDish.size(), 8);
    for (int i = 0; i < perDish.size(); ++i)
        QCOMPARE(perDish[i].line, i + 1);
    QCOMPARE(perDish.last().day, kLateDay);
    QCOMPARE(perDish.last().week, 6);
    QCOMPARE(perDish.last().weekStart, kLateDay);
    criteria.kind = "SL";
    const QList<StoredRow> weekly = storedRows(h->db(), prepared(h->client(), criteria).key);
    QCOMPARE(weekly.last().week, 6);
    QCOMPARE(weekly.last().value.toDouble(), 343.532 * kAdultPortion);
    QCOMPARE(weekly.last().days, 1);
    QCOMPARE(weekly.last().line, int(weekly.size()));
}

void TestRdmNutriCard::servicesOfAnotherMenuTypeAreRefused()
{
    HARNESS(h);
    // Dinner is a service of the adults' menu type, not of the crèche's.
    Criteria criteria;
    criteria.menuType = kCrecheMenuType;
    criteria.services = QString(kLunch) + "_" + kDinner + "_00009";
    const int headers = allRows(h->db(), "NUTRICARDCAB");
    QCOMPARE(
        prepare(h->client(), criteria).toString(),
        QString("Serviços 00002, 00009 não cadastrados para o tipo de cardápio 0000000002 da filial central "
                "0010."));
    QCOMPARE(allRows(h->db(), "NUTRICARDCAB"), headers);
}

void TestRdmNutriCard::allNutrientsAndListsHandedBackNormalised()
{
    HARNESS(h);
    Criteria criteria;
    criteria.kind = "NT";
    criteria.nutrients = "";
    criteria.services = "1";
    criteria.branch = "11";
    const QVariant answer = prepare(h->client(), criteria);
    QCOMPARE(answer.toList().value(1).toString(), QString("_001_002_003_004"));
    QCOMPARE(criteria.nutrients, QString("001_002_003_004"));
    QCOMPARE(criteria.services, kLunch);
    QCOMPARE(criteria.branch, kAggregated);

    criteria.kind = "NL";
    criteria.nutrients = "4_2_2";
    prepare(h->client(), criteria);
    QCOMPARE(criteria.nutrients, QString("004_002"));
}

void TestRdmNutriCard::aggregatedBranchPrintsItsOwnServiceNames()
{
    ServerHarness* h = harness(Engine::SQLite);
    Criteria criteria;
    criteria.branch = kAggregated;
    criteria.services = QString(kLunch) + "_" + kDinner;
    criteria.nutrients = "001";
    const QList<StoredRow> rows = storedRows(h->db(), prepared(h->client(), criteria).key);
    const StoredRow* lunch = findRow(rows, QDate(2026, 3, 3), "0000000001", "001", kLunch);
    const StoredRow* dinner = findRow(rows, QDate(2026, 3, 3), "0000000001", "001", kDinner);
    QCOMPARE(lunch->serviceName, QString("Almoço escolar"));
    QCOMPARE(dinner->serviceName, QString("Jantar")); // the branch has no own name for it
}

// The second central's menu, which starts on a Wednesday (MenuFixture.h).
Criteria midWeekMenu()
{
    Criteria criteria;
    criteria.central = kOtherCentral;
    criteria.branch = kOtherCentral;
    criteria.nutrients = "001_002";
    criteria.first = kMidWeekFirstDay;
    criteria.last = kMidWeekLastDay;
    return criteria;
}

void TestRdmNutriCard::aggregatedBranchKeepsItsOwnServiceOrder()
{
    HARNESS(h);
    Criteria criteria = midWeekMenu();
    criteria.branch = kForeign;
    criteria.services = QString(kLunch) + "_" + kDinner;
    criteria.nutrients = "001";
    const QList<StoredRow> rows = storedRows(h->db(), prepared(h->client(), criteria).key);
    QCOMPARE(rows.size(), 4);
    // The school serves dinner (its order 2) before lunch (9), the reverse of its central's order.
    QCOMPARE(rows[0].day, kMidWeekFirstDay);
    QCOMPARE(rows[0].service, kDinner);
    QCOMPARE(rows[0].serviceName, QString("Jantar da escola"));
    QCOMPARE(rows[1].service, kLunch);
}

void TestRdmNutriCard::foodsWithoutProteinFactorCountAtHalf()
{
    HARNESS(h);
    Criteria criteria = midWeekMenu();
    criteria.kind = "DL";
    criteria.ndpcal = true;
    const QList<StoredRow> rows = storedRows(h->db(), prepared(h->client(), criteria).key);
    // Porridge, a food without group: 10 g protein × 0.5 × 4 / 100 kcal × 100.
    QCOMPARE(rounded(findRow(rows, kMidWeekFirstDay, QString(), "001")->ndpcal, 4), 20.0);
    // Cheese toast, a food whose group has no factor: 6 g × 0.5 × 4 / 300 kcal × 100.
    QCOMPARE(rounded(findRow(rows, QDate(2026, 3, 5), QString(), "001")->ndpcal, 4), 4.0);
}

void TestRdmNutriCard::weeklyNdpCalIsOfTheWeeksSums()
{
    HARNESS(h);
    Criteria criteria = midWeekMenu();
    criteria.kind = "SL";
    criteria.ndpcal = true;
    const QList<StoredRow> rows = storedRows(h->db(), prepared(h->client(), criteria).key);
    // Two weeks of lunch, three days and two weeks over the services chosen, two nutrients.
    QCOMPARE(rows.size(), (2 + 3 + 2) * 2);
    // Week 1 is the week of the first menu day (a Wednesday) and holds Thursday too; the Monday
    // after starts week 2.
    const StoredRow* firstWeek = findRow(rows, QDate(), QString(), "001", kLunch, 1);
    QVERIFY(firstWeek);
    QCOMPARE(rounded(firstWeek->value, 4), 120.0); // (100 + 300) × 0.6 / 2 days
    // (5 + 3) g net protein × 4 / (100 + 300) kcal × 100; neither day's own 20 or 4.
    QCOMPARE(rounded(firstWeek->ndpcal, 4), 8.0);
    const StoredRow* secondWeek = findRow(rows, QDate(), QString(), "001", kLunch, 2);
    QVERIFY(secondWeek);
    QCOMPARE(rounded(secondWeek->value, 4), 60.0);
    QCOMPARE(rounded(secondWeek->ndpcal, 4), 20.0);
    QCOMPARE(secondWeek->weekStart, QDate(2026, 3, 9));
}

void TestRdmNutriCard::dishFiguresAddUpToTheDayRows()
{
    // The day rows cover every dish type; the figures of each dish let a report of some dish types
    // sum its own. Summed over the main dishes, they give back the day rows and their NDpCal%.
    HARNESS(h);
    Criteria criteria;
    criteria.kind = "SL";
    criteria.ndpcal = true;
    criteria.nutrients = "001_003";
    criteria.services = QString(kLunch) + "_" + kDinner;
    const Prepared weekly = prepared(h->client(), criteria);
    const QList<StoredRow> rows = storedRows(h->db(), weekly.key);
    const QList<DishFigure> figures = dishFigures(h->db(), weekly.key);
    QMap<QDate, double> energy;
    QMap<QDate, double> dietEnergy;
    QMap<QDate, double> netProtein;
    bool optionListed = false;
    for (const DishFigure& figure : figures) {
        optionListed = optionListed || figure.option;
        if (figure.option)
            continue;
        if (figure.nutrient == "001")
            energy[figure.day] += figure.value.toDouble();
        if (figure.nutrient.isEmpty()) {
            dietEnergy[figure.day] += figure.energy.toDouble();
            netProtein[figure.day] += figure.netProtein.toDouble();
        }
    }
    // Both Mondays and the Tuesday have main dishes; Wednesday's option is listed but makes no day.
    QCOMPARE(energy.keys(), QList<QDate>({QDate(2026, 3, 2), QDate(2026, 3, 3), QDate(2026, 3, 9)}));
    QVERIFY(optionListed);
    for (auto day = energy.cbegin(); day != energy.cend(); ++day) {
        const StoredRow* total = findRow(rows, day.key(), QString(), "001");
        QVERIFY(total && total->service.isEmpty());
        QCOMPARE(rounded(day.value(), 6), rounded(total->value, 6));
        QCOMPARE(rounded(dietEnergy[day.key()], 6), rounded(total->value, 6));
        QCOMPARE(rounded(netProtein[day.key()] * 4 / dietEnergy[day.key()] * 100, 6),
                 rounded(total->ndpcal, 6));
    }

    // Without NDpCal% the dishes carry no energy row of their own; a per-dish report needs none.
    criteria.ndpcal = false;
    for (const DishFigure& figure : dishFigures(h->db(), prepared(h->client(), criteria).key))
        QVERIFY(!figure.nutrient.isEmpty() && figure.energy.isNull());
    criteria.kind = "NL";
    QVERIFY(dishFigures(h->db(), prepared(h->client(), criteria).key).isEmpty());

    // Deleting the key takes its dish figures too.
    QString key = weekly.key;
    QCOMPARE(NutriCardServer(&h->client()).DelNutriCard(key).toString(), QString());
    QVERIFY(dishFigures(h->db(), weekly.key).isEmpty());
}

void TestRdmNutriCard::refusalsAreTextsAndStoreNothing_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::addRow("unknown central branch") << "central"
                                            << "9999"
                                            << "Filial central 9999 não cadastrada.";
    QTest::addRow("unknown menu type") << "menuType"
                                       << "77"
                                       << "Tipo de cardápio 0000000077 não cadastrado";
    QTest::addRow("branch of another central") << "branch" << kForeign << "não agregada à central 0010";
    QTest::addRow("branch with inactive link") << "branch" << kUnlinked << "não utiliza o tipo de cardápio";
    QTest::addRow("unknown branch") << "branch"
                                    << "0999"
                                    << "Filial 0999 não cadastrada.";
    QTest::addRow("unknown report kind") << "kind"
                                         << "XL"
                                         << "Tipo de relatório inválido";
    QTest::addRow("malformed nutrient list") << "nutrients"
                                             << "001__002"
                                             << "Lista de nutrientes inválida";
    QTest::addRow("SQL in the service list") << "services"
                                             << "00001') OR ('1'='1"
                                             << "Lista de serviços inválida";
    QTest::addRow("unknown nutrient") << "nutrients"
                                      << "001_999"
                                      << "Nutriente 999 não cadastrado.";
    QTest::addRow("no nutrient in a list report") << "nutrients"
                                                  << ""
                                                  << "Nutriente deve ser informado.";
    QTest::addRow("no service") << "services"
                                << ""
                                << "Serviço deve ser informado.";
    QTest::addRow("unknown service") << "services"
                                     << "7_1"
                                     << "Serviço 00007 não cadastrado para o tipo de cardápio 0000000001";
    QTest::addRow("period backwards") << "first"
                                      << "2026-03-20"
                                      << "Período inválido";
    QTest::addRow("no period") << "last"
                               << ""
                               << "Período deve ser informado.";
    // A period the menus do not reach would give a key of no rows: a report of nothing.
    QTest::addRow("period without menu") << "period"
                                         << "2027-01-04/2027-01-08"
                                         << "Não há cardápio de 04/01/2027 a 08/01/2027";
}

void TestRdmNutriCard::refusalsAreTextsAndStoreNothing()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    ServerHarness* h = harness(Engine::SQLite);
    Criteria criteria;
    const std::map<QString, QString*> texts{
        {"central", &criteria.central}, {"branch", &criteria.branch},       {"menuType", &criteria.menuType},
        {"kind", &criteria.kind},       {"nutrients", &criteria.nutrients}, {"services", &criteria.services}};
    if (field == "period") {
        criteria.first = QDate::fromString(value.section('/', 0, 0), Qt::ISODate);
        criteria.last = QDate::fromString(value.section('/', 1), Qt::ISODate);
    } else if (field == "first")
        criteria.first = QDate::fromString(value, Qt::ISODate);
    else if (field == "last")
        criteria.last = QDate::fromString(value, Qt::ISODate);
    else
        *texts.at(field) = value;
    const int headers = allRows(h->db(), "NUTRICARDCAB");
    const int rows = allRows(h->db(), "NUTRICARD");
    const int keysTaken = generatorValue(h->db());
    const QVariant answer = prepare(h->client(), criteria);
    QCOMPARE(answer.metaType().id(), int(QMetaType::QString));
    QVERIFY2(answer.toString().contains(expected), qPrintable(answer.toString()));
    QCOMPARE(allRows(h->db(), "NUTRICARDCAB"), headers);
    QCOMPARE(allRows(h->db(), "NUTRICARD"), rows);
    QCOMPARE(generatorValue(h->db()), keysTaken); // no key is spent on a refusal
}

void TestRdmNutriCard::deletionIsIdempotentAndTouchesOnlyItsKey()
{
    HARNESS(h);
    const Prepared mine = prepared(h->client(), Criteria());
    const Prepared other = prepared(h->client(), Criteria());
    QVERIFY(mine.key != other.key);
    const NutriCardServer server(&h->client());
    QString key = mine.key;
    // Preview followed by print deletes twice: both answer an empty text.
    QCOMPARE(server.DelNutriCard(key), QVariant(QString()));
    QCOMPARE(server.DelNutriCard(key), QVariant(QString()));
    QCOMPARE(key, mine.key);
    QCOMPARE(rowCount(h->db(), mine.key), 0);
    QCOMPARE(headerCount(h->db(), mine.key), 0);
    QCOMPARE(rowCount(h->db(), other.key), 28);
    // Only the key as it was handed out names data: padded, signed or too long it is refused.
    for (QString written : {QString("12345678901"), " " + other.key, other.key + " ", "+" + other.key}) {
        QVERIFY2(server.DelNutriCard(written).toString().contains("inválida"), qPrintable(written));
        QCOMPARE(rowCount(h->db(), other.key), 28);
    }
}

void TestRdmNutriCard::keyGeneratorSetBackStillGivesFreshKeys()
{
    HARNESS(h);
    const Prepared before = prepared(h->client(), Criteria());
    // A database restored from a backup taken before the last keys: the generator is behind them.
    QSqlQuery setBack(h->db());
    QVERIFY(setBack.exec("UPDATE GERADOR SET NRVALOR = NRVALOR - 1 WHERE NMGERADOR = 'NUTRICARD'"));
    const Prepared after = prepared(h->client(), Criteria());
    QVERIFY(after.key != before.key);
    QCOMPARE(rowCount(h->db(), before.key), 28);
    QCOMPARE(rowCount(h->db(), after.key), 28);
}

void TestRdmNutriCard::expiryRemovesOnlyKeysOlderThanTheAge()
{
    HARNESS(h);
    const Prepared fresh = prepared(h->client(), Criteria());
    const QString old = "OLD1";
    {
        QSqlQuery insert(h->db());
        insert.prepare(
            "INSERT INTO NUTRICARDCAB (NRSEQUNUTR, DTCRIACAO, CDFILCENTZVE, CDFILIAL, CDTIPOCARD, DTINICIAL,"
            " DTFINAL, IDTIPOREL) VALUES (?, ?, '0010', '0010', '0000000001', ?, ?, 'NL')");
        insert.addBindValue(old);
        insert.addBindValue(QDateTime::currentDateTimeUtc().addSecs(-25 * 3600));
        insert.addBindValue(kFirstDay);
        insert.addBindValue(kLastDay);
        QVERIFY(insert.exec());
        insert.prepare("INSERT INTO NUTRICARD (NRSEQUNUTR, NRLINHA, CDNUTRIENTE) VALUES (?, 1, '001')");
        insert.addBindValue(old);
        QVERIFY(insert.exec());
        insert.prepare("INSERT INTO NUTRICARDNOTA (NRSEQUNUTR, NRLINHA, DSNOTA) VALUES (?, 1, 'nota')");
        insert.addBindValue(old);
        QVERIFY(insert.exec());
    }
    h->runtime().dispatcher().runTask("expiry", Zve41300::nutriCardExpiryTask(std::chrono::hours(24)));
    QTRY_COMPARE(h->runtime().dispatcher().callsInFlight(), 0);
    QCOMPARE(headerCount(h->db(), old), 0);
    QCOMPARE(rowCount(h->db(), old), 0);
    QVERIFY(storedNotes(h->db(), old).isEmpty());
    QCOMPARE(headerCount(h->db(), fresh.key), 1);
    QCOMPARE(rowCount(h->db(), fresh.key), 28);
}

void TestRdmNutriCard::clientsPreparingAndDeletingAtOnceKeepApart()
{
    HARNESS(h);
    const int before = allRows(h->db(), "NUTRICARD");
    const int perKey = 28;
    QList<QString> keys(kClients);
    QStringList errors = runClients(h->port(), kClients, [&](int i, TNetConnection& connection) {
        keys[i] = prepared(connection, Criteria()).key;
    });
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), kClients);
    for (const QString& key : keys)
        QCOMPARE(rowCount(h->db(), key), perKey);

    // Half delete their data while the other half prepare again.
    const int half = kClients / 2;
    QList<QString> again(half);
    errors = runClients(h->port(), kClients, [&](int i, TNetConnection& connection) {
        if (i < half) {
            QString key = keys[i];
            const QVariant answer = NutriCardServer(&connection).DelNutriCard(key);
            if (!answer.toString().isEmpty())
                throw Kav::Exception(answer.toString());
        } else {
            again[i - half] = prepared(connection, Criteria()).key;
        }
    });
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    for (int i = 0; i < kClients; ++i)
        QCOMPARE(rowCount(h->db(), keys[i]), i < half ? 0 : perKey);
    QSet<QString> all(keys.begin(), keys.end());
    for (const QString& key : again) {
        QVERIFY(!all.contains(key));
        all.insert(key);
        QCOMPARE(rowCount(h->db(), key), perKey);
    }

    // Everyone deletes what is left: nothing remains.
    const QList<QString> remaining = keys.mid(half) + again;
    errors = runClients(h->port(), int(remaining.size()), [&](int i, TNetConnection& connection) {
        QString key = remaining[i];
        NutriCardServer(&connection).DelNutriCard(key);
    });
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    QCOMPARE(allRows(h->db(), "NUTRICARD"), before);
    for (const QString& key : std::as_const(all))
        QCOMPARE(headerCount(h->db(), key), 0);
}

QTEST_GUILESS_MAIN(TestRdmNutriCard)
#include "tst_rdmnutricard.moc"
