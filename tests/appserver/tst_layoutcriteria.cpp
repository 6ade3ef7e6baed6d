// The dish types and "Imprime Opção" on the day and week layouts (04, 05 and 07), over what a real
// server prepared from the hand-worked fixture on each engine (portions of 1.2, three dish types,
// an option dish): each combination prints a report of its own, and every day and week figure
// equals what the dishes of the per-dish report add up to. NDpCal% is one figure for a day, a
// week and the period in every layout and export: the ratio of the sums over the dishes covered.

#include "MenuFixture.h"
#include "NutriCardServer.h"
#include "ServerHarness.h"

#include "Events.h"
#include "KavException.h"
#include "Qrddlgs.h"
#include "ReportCatalog.h"
#include "TestClientContext.h"
#include "TParams.h"
#include "TReportDesignerDialog.h"
#include "ValueFormatter.h"

#include <map>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace MenuFixture;
using Engine = ScratchDatabase::Engine;

namespace {

const QString kReports = QStringLiteral(KAV_SOURCE_DIR "/reports");
const QStringList kNutrients = {"001", "002", "003", "004"};
const QString kServices = kLunch + QLatin1Char('_') + kDinner;
// The main dishes and the dish without a recipe: the salad is left out, the chicken option kept.
const QString kSomeTypes = QStringLiteral("01_02");
const QString kOptionDish = QStringLiteral("Frango grelhado (opção)");

struct Choice
{
    bool allTypes = true;
    bool options = true;
    bool chooses(const QString& dishType) const
    {
        return allTypes || kSomeTypes.split(QLatin1Char('_')).contains(dishType);
    }
};

const QList<Choice> kChoices = {{true, true}, {true, false}, {false, true}, {false, false}};

// A dish of the per-dish report, as the server prepared it.
struct Dish
{
    QDate day;
    int week = 0;
    QString service;
    QString type;
    bool option = false;
    QHash<QString, double> values; // analysed values, by nutrient
};

// What some dishes add up to, by nutrient, and the days they were served on.
struct Sum
{
    QHash<QString, double> values;
    QSet<QDate> days;
    void add(const Dish& dish)
    {
        for (auto it = dish.values.cbegin(); it != dish.values.cend(); ++it)
            values[it.key()] += it.value();
        days.insert(dish.day);
    }
    double meanPerDay(const QString& nutrient) const { return values.value(nutrient) / double(days.size()); }
};

// What NDpCal% is made of: energy and net protein summed over some dishes.
struct Diet
{
    double energy = 0;
    double netProtein = 0;
    bool incomplete = false;
    void add(const Diet& other)
    {
        energy += other.energy;
        netProtein += other.netProtein;
        incomplete = incomplete || other.incomplete;
    }
    double ndpcal() const { return netProtein * 4 / energy * 100; }
};

// The main dishes' diets of a choice, by day, by week and over the period.
struct Diets
{
    QMap<QDate, Diet> days;
    QMap<int, Diet> weeks;
    Diet period;
};

// A data export keeps six decimals of a number.
constexpr double kCsvHalfDecimal = 0.5e-6;

QString amount(double value)
{
    return Qr::ValueFormatter::format(value, QStringLiteral("#,##0.0"));
}

QString dayLabel(const QDate& day)
{
    return Qr::ValueFormatter::format(day, QStringLiteral("ddd dd/MM/yyyy"));
}

// The lines of a text export that start (after blanks) with `start`, in order.
QStringList linesStarting(const QString& text, const QString& start)
{
    QStringList found;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.trimmed().startsWith(start))
            found.append(line);
    return found;
}

// Answers the report's parameters as the screen does for these criteria.
class Screen : public QObject
{
    Q_OBJECT
public:
    QString key;
    Choice choice;

    Q_INVOKABLE void rpddPadraoBeforeGetQueryParams(TParams& Params, bool&)
    {
        QHash<QString, QString> values = {
            {"P_NRSEQUNUTR", key},
            {"P_CDFILCENTZVE", kCentral},
            {"P_NMFILCENTZVE", QStringLiteral("Cozinha Central Norte")},
            {"P_CDTIPOCARD", kMenuType},
            {"P_NMTIPOCARD", QStringLiteral("Educação de jovens e adultos")},
            {"P_DTPERIINI", kFirstDay.toString(QStringLiteral("dd/MM/yyyy"))},
            {"P_DTPERIFIN", kLastDay.toString(QStringLiteral("dd/MM/yyyy"))},
            {"P_NDPCAL", QStringLiteral("S")},
            {"P_LISTATPRATO", choice.allTypes ? QStringLiteral("X") : kSomeTypes},
            {"P_TODOSTPRATO", choice.allTypes ? QStringLiteral("T") : QStringLiteral("X")},
            {"P_OPCAO", choice.options ? QStringLiteral("X") : QStringLiteral("N")},
            {"P_TODASOPCAO", choice.options ? QStringLiteral("T") : QStringLiteral("X")},
        };
        for (int k = 0; k < kNutrients.size(); ++k)
            values.insert(QStringLiteral("P_NUTRIENTE%1").arg(k + 1), kNutrients[k]);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            if (Qrddlgs::ExistParam(Params, it.key()))
                Params.ParamByName(it.key()).setValue(it.value());
    }
};

} // namespace

class TstLayoutCriteria : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { m_harnesses.clear(); }
    void everyCombinationPrintsItsOwnFigures_data();
    void everyCombinationPrintsItsOwnFigures();
    void ndpcalIsOneRatioOfSumsEverywhere_data();
    void ndpcalIsOneRatioOfSumsEverywhere();

private:
    ServerHarness* harness(Engine engine);
    QString prepared(ServerHarness& server, const QString& kind);
    QList<Dish> dishes(ServerHarness& server);
    QString printed(ServerHarness& server, const QString& layout, const QString& key, const Choice& choice,
                    const QString& fileName = QStringLiteral("out.txt"));
    static Diets diets(ServerHarness& server, const QString& key, const Choice& choice);
    static QMap<QDate, double> exportedNdpcal(const QString& csv);
    static void checkDays(const QString& text, const QMap<QDate, Sum>& days);
    static void checkWeeks(const QString& text, const QMap<int, Sum>& weeks);
    static void checkOptions(const QString& text, const QList<Dish>& options, bool shown);

    std::map<Engine, std::unique_ptr<ServerHarness>> m_harnesses;
    QTemporaryDir m_dir;
};

ServerHarness* TstLayoutCriteria::harness(Engine engine)
{
    auto& slot = m_harnesses[engine];
    if (!slot) {
        slot = std::make_unique<ServerHarness>(engine, "layoutcriteria");
        if (slot->isAvailable())
            slot->startServer();
    }
    return slot.get();
}

QString TstLayoutCriteria::prepared(ServerHarness& server, const QString& kind)
{
    QString branch = kCentral;
    QString nutrients = kNutrients.join(QLatin1Char('_'));
    QString services = kServices;
    const QVariant answer = NutriCardServer(&server.client())
                                .CriaNutriCard(kCentral, branch, nutrients, services, kFirstDay.startOfDay(),
                                               kLastDay.startOfDay(), false, false, true, kMenuType, kind);
    if (answer.metaType().id() != QMetaType::QVariantList)
        throw Kav::Exception(QStringLiteral("not prepared: ") + answer.toString());
    return answer.toList().at(0).toString();
}

QList<Dish> TstLayoutCriteria::dishes(ServerHarness& server)
{
    // Prepared before the statement is: on Firebird a statement sees what was committed before it.
    const QString key = prepared(server, QStringLiteral("NL"));
    QSqlQuery query(server.db());
    query.prepare(
        QStringLiteral("SELECT DTCARDAPIO, NRSEMANA, CDSERVFILI, CDTIPOPRAT, IDOPCAO, CDPRATO, CDNUTRIENTE,"
                       " VRNUTRIENTE FROM NUTRICARD WHERE NRSEQUNUTR = ? ORDER BY NRLINHA"));
    query.addBindValue(key);
    if (!query.exec())
        throw Kav::Exception(query.lastError().text());
    QList<Dish> found;
    QString lastDish;
    while (query.next()) {
        const QString dish =
            query.value(0).toString() + query.value(2).toString() + query.value(5).toString();
        if (dish != lastDish)
            found.append({query.value(0).toDate(),
                          query.value(1).toInt(),
                          query.value(2).toString(),
                          query.value(3).toString(),
                          query.value(4).toString() == QLatin1String("S"),
                          {}});
        lastDish = dish;
        if (!query.value(7).isNull())
            found.last().values.insert(query.value(6).toString(), query.value(7).toDouble());
    }
    return found;
}

QString TstLayoutCriteria::printed(ServerHarness& server, const QString& layout, const QString& key,
                                   const Choice& choice, const QString& fileName)
{
    TestClientContext context;
    TReportDesignerDialog dialog(context.context());
    Screen screen;
    screen.key = key;
    screen.choice = choice;
    Kav::bindEvent(&dialog, "OnBeforeGetQueryParams", &screen, "rpddPadraoBeforeGetQueryParams");
    dialog.setConnectionName(server.db().connectionName());
    dialog.LoadFromFile(kReports + QLatin1Char('/') +
                        Qr::ReportCatalog::fileName(QStringLiteral("Zve413"), layout));
    const QString out = m_dir.filePath(fileName);
    if (!dialog.SaveToFile(out))
        return {};
    QFile file(out);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Each day's line carries the day's sums of every nutrient.
void TstLayoutCriteria::checkDays(const QString& text, const QMap<QDate, Sum>& days)
{
    for (auto day = days.cbegin(); day != days.cend(); ++day) {
        const QStringList lines = linesStarting(text, dayLabel(day.key()));
        QVERIFY2(lines.size() == 1, qPrintable(dayLabel(day.key()) + QLatin1Char('\n') + text));
        for (auto value = day->values.cbegin(); value != day->values.cend(); ++value)
            QVERIFY2(lines.first().contains(amount(value.value())),
                     qPrintable(lines.first() + QStringLiteral(" lacks ") + amount(value.value())));
    }
}

// Each week's daily mean runs over the days it has.
void TstLayoutCriteria::checkWeeks(const QString& text, const QMap<int, Sum>& weeks)
{
    const QStringList means = linesStarting(text, QStringLiteral("Média diária da semana"));
    QCOMPARE(means.size(), weeks.size());
    int i = 0;
    for (const Sum& week : weeks) {
        const QString& line = means[i++];
        QVERIFY2(line.contains(QStringLiteral("(%1 dia").arg(week.days.size())), qPrintable(line));
        for (const QString& nutrient : week.values.keys())
            QVERIFY2(line.contains(amount(week.meanPerDay(nutrient))),
                     qPrintable(line + QStringLiteral(" lacks ") + amount(week.meanPerDay(nutrient))));
    }
}

void TstLayoutCriteria::checkOptions(const QString& text, const QList<Dish>& options, bool shown)
{
    const QStringList lines = linesStarting(text, QStringLiteral("Pratos de opção"));
    QCOMPARE(lines.size(), shown ? 1 : 0);
    QStringList listed;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.contains(kOptionDish))
            listed.append(line);
    QCOMPARE(listed.size(), shown ? options.size() : 0);
    for (int i = 0; i < listed.size(); ++i) {
        QVERIFY2(listed[i].contains(Qr::ValueFormatter::format(options[i].day, QStringLiteral("dd/MM"))),
                 qPrintable(listed[i]));
        QVERIFY2(listed[i].contains(amount(options[i].values.value("001"))), qPrintable(listed[i]));
    }
}

void TstLayoutCriteria::everyCombinationPrintsItsOwnFigures_data()
{
    QTest::addColumn<int>("engine");
    for (const Engine engine : ScratchDatabase::engines())
        QTest::addRow("%s", qPrintable(ScratchDatabase::engineName(engine))) << int(engine);
}

void TstLayoutCriteria::everyCombinationPrintsItsOwnFigures()
{
    QFETCH(int, engine);
    ServerHarness* server = harness(Engine(engine));
    KAV_REQUIRE_DATABASE(server->scratch());
    QVERIFY(m_dir.isValid());
    const QList<Dish> served = dishes(*server);
    const QString weekly = prepared(*server, QStringLiteral("SL"));
    const QString daily = prepared(*server, QStringLiteral("DL"));
    const QString perDish = prepared(*server, QStringLiteral("NL"));
    QHash<QString, QSet<QString>> outputs;
    for (const Choice& choice : kChoices) {
        // The dishes of the choice, summed by day and by week as the layouts print them.
        QMap<QDate, Sum> days;
        QMap<int, Sum> weeks;
        Sum period;
        QList<Dish> options;
        for (const Dish& dish : served) {
            if (choice.chooses(dish.type) && dish.option)
                options.append(dish);
            if (!choice.chooses(dish.type) || dish.option)
                continue;
            days[dish.day].add(dish);
            weeks[dish.week].add(dish);
            period.add(dish);
        }
        // Monday without its salad when the salad is left out; the chicken option on two days.
        QCOMPARE(days.size(), 3);
        QCOMPARE(options.size(), 2);

        const QString perDay = printed(*server, QStringLiteral("07"), daily, choice);
        const QString perWeek = printed(*server, QStringLiteral("04"), weekly, choice);
        const QString withReferences = printed(*server, QStringLiteral("05"), weekly, choice);
        for (const QString* text : {&perDay, &perWeek, &withReferences}) {
            QVERIFY(!text->isEmpty());
            checkOptions(*text, options, choice.options);
        }
        checkDays(perDay, days);
        checkDays(withReferences, days);
        checkWeeks(perWeek, weeks);
        checkWeeks(withReferences, weeks);
        QVERIFY2(linesStarting(perWeek, QStringLiteral("Média diária do período (3 dias)"))
                     .value(0)
                     .contains(amount(period.meanPerDay("001"))),
                 qPrintable(perWeek));
        QVERIFY2(linesStarting(perDay, QStringLiteral("Média por dia (3 dias)"))
                     .value(0)
                     .contains(amount(period.meanPerDay("001"))),
                 qPrintable(perDay));
        // A day served only an option dish is no day of the mean, on the per-dish page too.
        const QString dishes = printed(*server, QStringLiteral("01"), perDish, choice);
        QVERIFY2(linesStarting(dishes, QStringLiteral("Média diária do período (3 dias)"))
                     .value(0)
                     .contains(amount(period.meanPerDay("001"))),
                 qPrintable(dishes));
        // NDpCal% of Monday's lunch: net protein (5.485 × 0.5 + 3.96 × 0.6) g × 4 over the energy of
        // rice and beans (343.532 kcal), and of the salad (172.61868 kcal) when it counts.
        const double energy = 343.532 + (choice.allTypes ? 172.61868 : 0.0);
        const QString ndpcal =
            Qr::ValueFormatter::format((5.485 * 0.5 + 3.96 * 0.6) * 4 / energy * 100, "0.0");
        QVERIFY2(linesStarting(perDay, dayLabel(kFirstDay)).value(0).contains(ndpcal), qPrintable(perDay));

        outputs[QStringLiteral("07")].insert(perDay);
        outputs[QStringLiteral("04")].insert(perWeek);
        outputs[QStringLiteral("05")].insert(withReferences);
    }
    for (auto layout = outputs.cbegin(); layout != outputs.cend(); ++layout)
        QVERIFY2(layout->size() == int(kChoices.size()), qPrintable(layout.key()));
}

// The energy and net protein the server keeps for each dish of a prepared report, summed in the
// test over the main dishes of the choice.
Diets TstLayoutCriteria::diets(ServerHarness& server, const QString& key, const Choice& choice)
{
    QSqlQuery query(server.db());
    query.prepare(
        QStringLiteral("SELECT DTCARDAPIO, NRSEMANA, CDTIPOPRAT, IDOPCAO, VRENERGIA, VRPROTLIQ,"
                       " IDDIETAINCOMPL FROM NUTRICARDPRATO WHERE NRSEQUNUTR = ? AND CDNUTRIENTE IS NULL"));
    query.addBindValue(key);
    if (!query.exec())
        throw Kav::Exception(query.lastError().text());
    Diets found;
    while (query.next()) {
        if (query.value(3).toString() == QLatin1String("S") || !choice.chooses(query.value(2).toString()))
            continue;
        const Diet dish{query.value(4).toDouble(), query.value(5).toDouble(),
                        query.value(6).toString() == QLatin1String("S")};
        found.days[query.value(0).toDate()].add(dish);
        found.weeks[query.value(1).toInt()].add(dish);
        found.period.add(dish);
    }
    return found;
}

// The day's NDpCal% a data export carries, by day where it has one (a day whose rows disagree is left out, so
// that the comparison fails); texts are quoted, numbers have a decimal comma.
QMap<QDate, double> TstLayoutCriteria::exportedNdpcal(const QString& csv)
{
    QStringList lines = csv.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const QStringList header =
        lines.value(0).remove(QChar(0xFEFF)).remove(QLatin1Char('"')).split(QLatin1Char(';'));
    const qsizetype day = header.indexOf(QStringLiteral("dia"));
    const qsizetype ndpcal = header.indexOf(QStringLiteral("ndpcal_do_dia"));
    QMap<QDate, double> found;
    QSet<QDate> disagreeing;
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = line.split(QLatin1Char(';'));
        const QDate date = QDate::fromString(fields.value(day), Qt::ISODate);
        if (fields.value(ndpcal).isEmpty()) // a day of option dishes only has none
            continue;
        const double value =
            QString(fields.value(ndpcal)).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        if (found.contains(date) && found[date] != value)
            disagreeing.insert(date);
        found[date] = value;
    }
    for (const QDate& date : disagreeing)
        found.remove(date);
    return found;
}

void TstLayoutCriteria::ndpcalIsOneRatioOfSumsEverywhere_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<bool>("allTypes");
    // The period's figure worked by hand: net protein of rice and beans (5.485 g × 0.5 + 3.96 g ×
    // 0.6) on three menus, of the chicken (31.5 g × 0.7) on one, × 4 kcal, over their energy and the
    // salad's when it counts (the portion of 1.2 is on both sides).
    for (const Engine engine : ScratchDatabase::engines()) {
        const QString name = ScratchDatabase::engineName(engine);
        QTest::addRow("%s, every dish type", qPrintable(name)) << int(engine) << true;
        QTest::addRow("%s, dish types 01 and 02", qPrintable(name)) << int(engine) << false;
    }
}

void TstLayoutCriteria::ndpcalIsOneRatioOfSumsEverywhere()
{
    QFETCH(int, engine);
    QFETCH(bool, allTypes);
    ServerHarness* server = harness(Engine(engine));
    KAV_REQUIRE_DATABASE(server->scratch());
    QVERIFY(m_dir.isValid());
    Choice choice;
    choice.allTypes = allTypes;
    const QString perDish = prepared(*server, QStringLiteral("NL"));
    const QString weekly = prepared(*server, QStringLiteral("SL"));
    const QString daily = prepared(*server, QStringLiteral("DL"));
    const Diets expected = diets(*server, perDish, choice);
    QCOMPARE(expected.days.size(), 3);
    // Every kind keeps the same figures of each dish.
    for (const QString& key : {weekly, daily})
        QCOMPARE(diets(*server, key, choice).period.energy, expected.period.energy);
    const double rice = 5.485 * 0.5 + 3.96 * 0.6;
    const double byHand =
        (3 * rice + 31.5 * 0.7) * 4 / (3 * 343.532 + 163 + (allTypes ? 172.61868 : 0.0)) * 100;
    QVERIFY(qAbs(expected.period.ndpcal() - byHand) < 1e-9);
    // The fixture tells the definitions apart: the mean of the days' ratios prints otherwise, and
    // so does Monday's figure over every dish type when only some are chosen.
    double meanOfRatios = 0;
    for (const Diet& day : expected.days)
        meanOfRatios += day.ndpcal() / double(expected.days.size());
    const auto ndpcal = [](double value) { return Qr::ValueFormatter::format(value, QStringLiteral("0.0")); };
    QVERIFY(ndpcal(meanOfRatios) != ndpcal(byHand));
    Choice every;
    QVERIFY((ndpcal(diets(*server, perDish, every).days.first().ndpcal()) ==
             ndpcal(expected.days.first().ndpcal())) == allTypes);

    const QString dishes = printed(*server, QStringLiteral("01"), perDish, choice);
    const QString days = printed(*server, QStringLiteral("07"), daily, choice);
    const QString weeks = printed(*server, QStringLiteral("04"), weekly, choice);
    const QString withReferences = printed(*server, QStringLiteral("05"), weekly, choice);
    for (auto day = expected.days.cbegin(); day != expected.days.cend(); ++day) {
        const QString figure = ndpcal(day->ndpcal()) + (day->incomplete ? "*" : "");
        const QString heading = Qr::ValueFormatter::format(day.key(), QStringLiteral("dddd, dd/MM/yyyy"));
        QVERIFY2(
            linesStarting(dishes, heading).value(0).contains(QStringLiteral("NDpCal% do dia: ") + figure),
            qPrintable(heading + QLatin1Char(' ') + figure + QLatin1Char('\n') + dishes));
        QVERIFY2(linesStarting(days, dayLabel(day.key()))
                     .value(0)
                     .contains(QLatin1Char(' ') + figure + QLatin1Char(' ')),
                 qPrintable(figure + QLatin1Char('\n') + days));
        // 05 prints it on the second line of the day.
        const QStringList lines = withReferences.split(QLatin1Char('\n'));
        const qsizetype at = lines.indexOf(linesStarting(withReferences, dayLabel(day.key())).value(0));
        QVERIFY2(at >= 0 && lines.value(at + 1).contains(QStringLiteral("NDpCal% ") + figure),
                 qPrintable(figure + QLatin1Char('\n') + withReferences));
    }
    int week = 0;
    const QStringList weekFigures = linesStarting(weeks, QStringLiteral("NDpCal% da semana"));
    QCOMPARE(weekFigures.size(), expected.weeks.size());
    for (const Diet& diet : expected.weeks)
        QVERIFY2(weekFigures[week++].contains(ndpcal(diet.ndpcal())), qPrintable(weeks));
    const QString period = ndpcal(byHand) + (expected.period.incomplete ? "*" : "");
    QVERIFY2(dishes.contains(QStringLiteral("NDpCal% do período: ") + period), qPrintable(dishes));
    QVERIFY2(weeks.contains(QStringLiteral("NDpCal% do período ") + period), qPrintable(weeks));
    QVERIFY2(linesStarting(days, QStringLiteral("Média por dia"))
                 .value(0)
                 .contains(QLatin1Char(' ') + period + QLatin1Char(' ')),
             qPrintable(days));
    const QStringList lines = withReferences.split(QLatin1Char('\n'));
    const qsizetype mean =
        lines.indexOf(linesStarting(withReferences, QStringLiteral("Média diária do período")).value(0));
    QVERIFY2(mean >= 0 && lines.value(mean + 1).contains(QStringLiteral("NDpCal% ") + period),
             qPrintable(withReferences));
    // The page says which dishes it covers.
    for (const QString* text : {&dishes, &days, &weeks, &withReferences})
        QVERIFY2(text->contains(allTypes ? QStringLiteral("pratos principais de todos os tipos")
                                         : QStringLiteral("pratos principais dos tipos ")),
                 qPrintable(*text));

    // The exports carry the same figure, as stored.
    for (const auto& [layout, key] :
         {std::pair(QStringLiteral("01"), perDish), std::pair(QStringLiteral("07"), daily)}) {
        const QString csv = printed(*server, layout, key, choice, QStringLiteral("out.csv"));
        const QMap<QDate, double> exported = exportedNdpcal(csv);
        QVERIFY2(exported.keys() == expected.days.keys(), qPrintable(csv));
        for (auto day = expected.days.cbegin(); day != expected.days.cend(); ++day)
            QVERIFY2(qAbs(exported[day.key()] - day->ndpcal()) <= kCsvHalfDecimal, qPrintable(layout));
    }
}

QTEST_MAIN(TstLayoutCriteria)
#include "tst_layoutcriteria.moc"
