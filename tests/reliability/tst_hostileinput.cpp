// Hostile input through the screen's four remote methods, on every engine: quotes, SQL, "_" at
// the ends of a list or doubled, very long texts, wrong dates and wrong types. Each is refused
// with a text, answered with an empty result or refused by the protocol; none reaches the SQL
// as text, and no table changes except the prepared report data.

#include "DataPacket.h"
#include "MenuFixture.h"
#include "NutriCardServer.h"
#include "RpcError.h"
#include "ServerHarness.h"
#include "TableSnapshot.h"

#include <map>
#include <memory>
#include <QTcpSocket>
#include <QTest>

using namespace MenuFixture;

namespace {

using Engine = ScratchDatabase::Engine;

// The prepared data and the key generator change by design; nothing else may.
const QStringList kGuardedTables{"FILIAL",    "TIPOCARD",   "FILITIPOCARD", "NUTRIENTE", "TIPOPRAT",
                                 "PRATO",     "PARAMGERAL", "PICTURE",      "SERVFILI",  "CARDZVE",
                                 "ITCARDZVE", "FICHATEC",   "ALIMENTO",     "GRUPOALIM", "COMPALIM"};

// Longer than any column and any code, below the protocol's line cap.
constexpr int kLongText = 200000;
// Past the protocol's line cap (1 MiB by default): refused before it is parsed.
constexpr int kOverCapText = 2 * 1024 * 1024;

struct Arguments
{
    QString central = kCentral;
    QString branch = kCentral;
    QString nutrients = QStringLiteral("001_002");
    QString services = kLunch;
    QDateTime first = QDateTime(kFirstDay, QTime(0, 0));
    QDateTime last = QDateTime(kLastDay, QTime(0, 0));
    QString menuType = kMenuType;
    QString kind = QStringLiteral("NL");
};

// Texts that are hostile wherever a code or a list goes.
QList<std::pair<const char*, QString>> hostileTexts()
{
    return {{"quote", QStringLiteral("0010'")},
            {"sql or", QStringLiteral("0010' OR '1'='1")},
            {"sql drop", QStringLiteral("0010; DROP TABLE FILIAL; --")},
            {"double quotes", QStringLiteral("\"0010\"")},
            {"wildcards", QStringLiteral("%")},
            {"non-latin digits", QStringLiteral("\u0660\u0660\u0661\u0660")},
            {"very long", QString(kLongText, QLatin1Char('9'))}};
}

// Lists that are malformed only as lists.
QList<std::pair<const char*, QString>> hostileLists()
{
    return {{"leading _", QStringLiteral("_001_002")},
            {"trailing _", QStringLiteral("001_002_")},
            {"doubled _", QStringLiteral("001__002")},
            {"only _", QStringLiteral("_")},
            {"sql piece", QStringLiteral("001_002') OR ('1'='1")},
            {"too many codes", QStringList(5000, QStringLiteral("001")).join(QLatin1Char('_'))}};
}

QString engineTag(Engine engine)
{
    return ScratchDatabase::engineName(engine);
}

} // namespace

Q_DECLARE_METATYPE(Arguments)

class TestHostileInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void criaNutriCardRefusesWithAText_data();
    void criaNutriCardRefusesWithAText();
    void lookupsAnswerNothingForHostileCodes_data();
    void lookupsAnswerNothingForHostileCodes();
    void delNutriCardTouchesOnlyItsKey_data();
    void delNutriCardTouchesOnlyItsKey();
    void wrongTypesAreRefusedByTheProtocol_data();
    void wrongTypesAreRefusedByTheProtocol();
    void overlongCallIsRefusedAndTheNextWorks();

private:
    ServerHarness& harness(Engine engine) { return *m_harnesses.at(engine); }
    void addEngineRows(const std::function<void(Engine, const QString&)>& addRows);
    QVariant criaNutriCard(Engine engine, Arguments arguments);
    QByteArray rawCall(Engine engine, const QByteArray& line);

    std::map<Engine, std::unique_ptr<ServerHarness>> m_harnesses;
};

void TestHostileInput::initTestCase()
{
    for (const Engine engine : ScratchDatabase::engines()) {
        auto harness = std::make_unique<ServerHarness>(engine, QStringLiteral("hostile"));
        if (harness->isAvailable())
            harness->startServer();
        m_harnesses.emplace(engine, std::move(harness));
    }
}

void TestHostileInput::cleanupTestCase()
{
    m_harnesses.clear();
}

void TestHostileInput::addEngineRows(const std::function<void(Engine, const QString&)>& addRows)
{
    for (const Engine engine : ScratchDatabase::engines())
        addRows(engine, engineTag(engine));
}

QVariant TestHostileInput::criaNutriCard(Engine engine, Arguments a)
{
    return NutriCardServer(&harness(engine).client())
        .CriaNutriCard(a.central, a.branch, a.nutrients, a.services, a.first, a.last, false, false, true,
                       a.menuType, a.kind);
}

void TestHostileInput::criaNutriCardRefusesWithAText_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<Arguments>("arguments");
    addEngineRows([](Engine engine, const QString& tag) {
        const auto add = [&](const QString& name, const Arguments& arguments) {
            QTest::addRow("%s: %s", qPrintable(tag), qPrintable(name)) << int(engine) << arguments;
        };
        for (const auto& [name, text] : hostileTexts()) {
            Arguments a;
            a.central = text;
            add(QStringLiteral("central, %1").arg(name), a);
            a = Arguments();
            a.branch = text;
            add(QStringLiteral("branch, %1").arg(name), a);
            a = Arguments();
            a.menuType = text;
            add(QStringLiteral("menu type, %1").arg(name), a);
            a = Arguments();
            a.nutrients = text;
            add(QStringLiteral("nutrients, %1").arg(name), a);
            a = Arguments();
            a.services = text;
            add(QStringLiteral("services, %1").arg(name), a);
            a = Arguments();
            a.kind = text;
            add(QStringLiteral("kind, %1").arg(name), a);
        }
        for (const auto& [name, list] : hostileLists()) {
            Arguments a;
            a.nutrients = list;
            add(QStringLiteral("nutrients, %1").arg(name), a);
            a = Arguments();
            a.services = list;
            add(QStringLiteral("services, %1").arg(name), a);
        }
        Arguments a;
        a.first = a.last.addDays(1);
        add(QStringLiteral("first day after the last"), a);
        a = Arguments();
        a.first = QDateTime();
        add(QStringLiteral("no first day"), a);
        a = Arguments();
        a.last = QDateTime();
        add(QStringLiteral("no last day"), a);
    });
}

void TestHostileInput::criaNutriCardRefusesWithAText()
{
    QFETCH(int, engine);
    QFETCH(Arguments, arguments);
    ServerHarness& server = harness(Engine(engine));
    KAV_REQUIRE_DATABASE(server.scratch());
    const TableSnapshot before(server.db(), kGuardedTables);

    const QVariant answer = criaNutriCard(Engine(engine), arguments);

    QCOMPARE(answer.metaType().id(), QMetaType::QString);
    QVERIFY2(!answer.toString().trimmed().isEmpty(), "a refusal must say why");
    QCOMPARE(allRows(server.db(), "NUTRICARD"), 0);
    QCOMPARE(allRows(server.db(), "NUTRICARDCAB"), 0);
    QCOMPARE(before.changedTables(TableSnapshot(server.db(), kGuardedTables)), QStringList());
}

void TestHostileInput::lookupsAnswerNothingForHostileCodes_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("menuType");
    addEngineRows([](Engine engine, const QString& tag) {
        for (const QString& method : {QStringLiteral("GetServico"), QStringLiteral("GetPesqPeriodoCard")}) {
            for (const auto& [name, text] : hostileTexts()) {
                QTest::addRow("%s: %s, branch %s", qPrintable(tag), qPrintable(method), name)
                    << int(engine) << method << text << kMenuType;
                QTest::addRow("%s: %s, menu type %s", qPrintable(tag), qPrintable(method), name)
                    << int(engine) << method << kCentral << text;
            }
        }
    });
}

void TestHostileInput::lookupsAnswerNothingForHostileCodes()
{
    QFETCH(int, engine);
    QFETCH(QString, method);
    QFETCH(QString, branch);
    QFETCH(QString, menuType);
    ServerHarness& server = harness(Engine(engine));
    KAV_REQUIRE_DATABASE(server.scratch());
    const TableSnapshot before(server.db(), kGuardedTables);

    const NutriCardServer calls(&server.client());
    const QVariant answer = method == QLatin1String("GetServico")
                                ? calls.GetServico(branch, menuType)
                                : calls.GetPesqPeriodoCard(branch, menuType);

    QVERIFY(answer.canConvert<Kav::DataPacket>());
    const Kav::DataPacket packet = answer.value<Kav::DataPacket>();
    QVERIFY(!packet.fields.isEmpty());
    QCOMPARE(packet.rows.size(), 0);
    QCOMPARE(before.changedTables(TableSnapshot(server.db(), kGuardedTables)), QStringList());
}

void TestHostileInput::delNutriCardTouchesOnlyItsKey_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("key");
    addEngineRows([](Engine engine, const QString& tag) {
        for (const auto& [name, text] : hostileTexts())
            QTest::addRow("%s: %s", qPrintable(tag), name) << int(engine) << text;
        QTest::addRow("%s: sql always true", qPrintable(tag)) << int(engine) << QStringLiteral("1 OR 1=1");
        QTest::addRow("%s: like pattern", qPrintable(tag)) << int(engine) << QStringLiteral("_");
        QTest::addRow("%s: empty", qPrintable(tag)) << int(engine) << QString();
    });
}

void TestHostileInput::delNutriCardTouchesOnlyItsKey()
{
    QFETCH(int, engine);
    QFETCH(QString, key);
    ServerHarness& server = harness(Engine(engine));
    KAV_REQUIRE_DATABASE(server.scratch());
    const QVariant prepared = criaNutriCard(Engine(engine), Arguments());
    QCOMPARE(prepared.metaType().id(), QMetaType::QVariantList);
    QString realKey = prepared.toList().value(0).toString();
    const int realRows = rowCount(server.db(), realKey);
    QVERIFY(realRows > 0);
    const TableSnapshot before(server.db(), kGuardedTables + QStringList{"NUTRICARD", "NUTRICARDCAB"});

    const NutriCardServer calls(&server.client());
    const QVariant answer = calls.DelNutriCard(key);

    QCOMPARE(answer.metaType().id(), QMetaType::QString);
    QCOMPARE(before.changedTables(
                 TableSnapshot(server.db(), kGuardedTables + QStringList{"NUTRICARD", "NUTRICARDCAB"})),
             QStringList());
    QCOMPARE(rowCount(server.db(), realKey), realRows);
    QCOMPARE(calls.DelNutriCard(realKey), QVariant(QString()));
    QCOMPARE(allRows(server.db(), "NUTRICARD"), 0);
}

void TestHostileInput::wrongTypesAreRefusedByTheProtocol_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QByteArray>("params");
    QTest::addColumn<QByteArray>("method");
    const QByteArray valid = R"(,{"ref":"0010"},{"ref":"001"},{"ref":"00001"},{"date":"2026-03-02"},)"
                             R"({"date":"2026-03-13"},false,false,true,"0000000001","NL"])";
    addEngineRows([&](Engine engine, const QString& tag) {
        const auto add = [&](const char* name, const QByteArray& method, const QByteArray& params) {
            QTest::addRow("%s: %s", qPrintable(tag), name) << int(engine) << params << method;
        };
        add("impossible date", "CriaNutriCard",
            R"(["0010",{"ref":"0010"},{"ref":"001"},{"ref":"00001"},{"date":"2026-02-30"},)"
            R"({"date":"2026-03-13"},false,false,true,"0000000001","NL"])");
        add("date as text", "CriaNutriCard",
            R"(["0010",{"ref":"0010"},{"ref":"001"},{"ref":"00001"},"02/03/2026",)"
            R"({"date":"2026-03-13"},false,false,true,"0000000001","NL"])");
        add("date without year digits", "CriaNutriCard",
            R"(["0010",{"ref":"0010"},{"ref":"001"},{"ref":"00001"},{"date":"-1-03-02"},)"
            R"({"date":"2026-03-13"},false,false,true,"0000000001","NL"])");
        add("code as number", "CriaNutriCard", "[10" + valid);
        add("code as array", "CriaNutriCard", R"([["0010"])" + valid);
        add("code as packet", "GetServico", R"([{"packet":{"fields":[],"rows":[]}},"1"])");
        add("flag as text", "CriaNutriCard",
            R"(["0010",{"ref":"0010"},{"ref":"001"},{"ref":"00001"},{"date":"2026-03-02"},)"
            R"({"date":"2026-03-13"},false,false,"true","0000000001","NL"])");
        add("nul inside a code", "GetServico", R"(["00\u000010","1"])");
        add("nul inside a list", "CriaNutriCard",
            R"(["0010",{"ref":"0010"},{"ref":"001\u0000_002"},{"ref":"00001"},{"date":"2026-03-02"},)"
            R"({"date":"2026-03-13"},false,false,true,"0000000001","NL"])");
        add("too few", "DelNutriCard", "[]");
        add("too many", "GetServico", R"(["0010","1","x"])");
    });
}

QByteArray TestHostileInput::rawCall(Engine engine, const QByteArray& line)
{
    // The server runs in this thread: wait by spinning the event loop, never by blocking.
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, harness(engine).port());
    socket.write(line);
    if (!QTest::qWaitFor([&] { return socket.canReadLine(); }))
        return {};
    return socket.readLine();
}

void TestHostileInput::wrongTypesAreRefusedByTheProtocol()
{
    QFETCH(int, engine);
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, params);
    ServerHarness& server = harness(Engine(engine));
    KAV_REQUIRE_DATABASE(server.scratch());
    const TableSnapshot before(server.db(), kGuardedTables);

    const QByteArray answer =
        rawCall(Engine(engine), R"({"jsonrpc":"2.0","id":1,"method":"Zve41300.rdmNutriCard.)" + method +
                                    R"(","params":)" + params + "}\n");

    QVERIFY2(answer.contains(R"("code":-32602)"), answer.constData());
    QCOMPARE(allRows(server.db(), "NUTRICARDCAB"), 0);
    QCOMPARE(before.changedTables(TableSnapshot(server.db(), kGuardedTables)), QStringList());
}

void TestHostileInput::overlongCallIsRefusedAndTheNextWorks()
{
    ServerHarness& server = harness(Engine::SQLite);
    KAV_REQUIRE_DATABASE(server.scratch());
    const NutriCardServer calls(&server.client());
    QVERIFY_THROWS_EXCEPTION(Kav::Exception,
                             calls.GetServico(QString(kOverCapText, QLatin1Char('x')), kMenuType));
    const QVariant services = calls.GetServico(kCentral, kMenuType);
    QVERIFY(!services.value<Kav::DataPacket>().rows.isEmpty());
}

QTEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
