// The server frame: every bad input gets its JSON-RPC error or a closed connection while the
// server keeps serving; calls run side by side; a stop lets calls in flight finish; a client
// whose connection dropped reconnects.

#include "ClientCoreContext.h"
#include "ServerHarness.h"

#include "CallContext.h"
#include "Events.h"
#include "KavException.h"
#include "RdmNutriCard.h"
#include "RpcConnection.h"

#include <netinet/in.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <sys/socket.h>
#include <unistd.h>

using namespace MenuFixture;

namespace {

constexpr int kAnswerTimeoutMs = 10000;
const QString kTestObject = "Test.Clock";

// Opened by a test to let a waiting call end; a call never waits longer than an answer may take.
QSemaphore gate;

// A module whose methods keep a call in flight: one as long as it is told, one until the test
// opens the gate.
std::shared_ptr<const RemoteDataModule> clockModule()
{
    auto module = std::make_shared<RemoteDataModule>(kTestObject);
    module->addMethod(
        {"Sleep", {RemoteMethod::Arg::Integer}, RemoteMethod::Transaction::Read, [](CallContext& context) {
             QThread::msleep(context.args().at(0).toULongLong());
             return QVariant(QStringLiteral("awake"));
         }});
    module->addMethod({"Fail", {}, RemoteMethod::Transaction::Read, [](CallContext&) -> QVariant {
                           throw Kav::Exception(QStringLiteral("Falha do método."));
                       }});
    module->addMethod({"WaitForGate", {}, RemoteMethod::Transaction::Read, [](CallContext&) {
                           return QVariant(gate.tryAcquire(1, kAnswerTimeoutMs)
                                               ? QStringLiteral("opened")
                                               : QStringLiteral("timed out"));
                       }});
    return module;
}

QByteArray call(int id, const QString& method, const QJsonArray& params)
{
    return QJsonDocument(QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}})
               .toJson(QJsonDocument::Compact) +
           '\n';
}

// The arguments of every report the tests prepare: each key then holds the same rows (24).
QJsonArray fullReport()
{
    const QJsonObject first{{"date", kFirstDay.toString(Qt::ISODate)}};
    const QJsonObject last{{"date", kLastDay.toString(Qt::ISODate)}};
    return {kCentral, kCentral, "001_002_003_004", kLunch, first, last, false, false, true, kMenuType, "NL"};
}

QByteArray getServico(int id)
{
    return call(id, "Zve41300.rdmNutriCard.GetServico", {kCentral, kMenuType});
}

// A client speaking the protocol by hand.
class RawClient
{
public:
    explicit RawClient(quint16 port)
    {
        m_socket.connectToHost("127.0.0.1", port);
        m_connected = m_socket.waitForConnected(kAnswerTimeoutMs);
    }
    bool isConnected() const { return m_connected && m_socket.state() == QAbstractSocket::ConnectedState; }
    void send(const QByteArray& bytes)
    {
        m_socket.write(bytes);
        m_socket.flush();
    }
    // The next answer line; an empty object when none came.
    QJsonObject answer() { return QJsonDocument::fromJson(answerLine()).object(); }
    QByteArray answerLine()
    {
        if (!QTest::qWaitFor([this] { return m_socket.canReadLine(); }, kAnswerTimeoutMs))
            return {};
        return m_socket.readLine();
    }
    bool waitClosed()
    {
        return QTest::qWaitFor([this] { return m_socket.state() == QAbstractSocket::UnconnectedState; },
                               kAnswerTimeoutMs);
    }
    void abort() { m_socket.abort(); }

private:
    QTcpSocket m_socket;
    bool m_connected = false;
};

// A client that ends its input after its calls (shutdown of its writing side, as `nc -N` does)
// and reads on; QTcpSocket cannot half-close.
class HalfClosingClient
{
public:
    explicit HalfClosingClient(quint16 port) : m_socket(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~HalfClosingClient() { ::close(m_socket); }
    bool isConnected() const { return m_connected; }
    void sendAndHalfClose(const QByteArray& bytes)
    {
        QCOMPARE(::send(m_socket, bytes.constData(), size_t(bytes.size()), 0), ssize_t(bytes.size()));
        ::shutdown(m_socket, SHUT_WR);
    }
    // Reads what arrived; true once the server closed its end.
    bool readToEnd()
    {
        char chunk[4096];
        const ssize_t got = ::recv(m_socket, chunk, sizeof(chunk), MSG_DONTWAIT);
        if (got > 0)
            m_received.append(chunk, got);
        return got == 0;
    }
    const QByteArray& received() const { return m_received; }

private:
    int m_socket;
    bool m_connected = false;
    QByteArray m_received;
};

int errorCode(const QJsonObject& answer)
{
    return answer.value("error").toObject().value("code").toInt();
}

// Counts the connects of a connection through its bound OnBeforeConnect handler.
class ConnectWatcher : public QObject
{
    Q_OBJECT
public:
    int connects = 0;
    Q_INVOKABLE void netBeforeConnect(QObject*) { ++connects; }
};

} // namespace

class TestKavServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void badLinesAreAnsweredAndTheConnectionGoesOn_data();
    void badLinesAreAnsweredAndTheConnectionGoesOn();
    void notificationRunsWithoutAnswer();
    void batchGetsOneAnswerPerCall();
    void batchOfNotificationsGetsNoAnswer();
    void largeIdComesBackExactly();
    void argumentErrorNamesTheProtocolType();
    void halfClosedClientGetsEveryAnswer();
    void connectionChoosesItsObject();
    void overlongLineIsRefusedAndClosed();
    void unfinishedLineTimesOut();
    void slowCallDoesNotHoldUpOtherClients();
    void pipelinedCallsAreHeldBackButAllAnswered();
    void clientLeavingMidCallLeavesNoHalfData();
    void stopFinishesCallsInFlight();
    void droppedConnectionReconnectsOnTheNextCall();

private:
    std::unique_ptr<ServerHarness> m_harness;
    ServerConfig m_config;
};

void TestKavServer::initTestCase()
{
    m_harness = std::make_unique<ServerHarness>(ScratchDatabase::Engine::SQLite, "kavserver");
    QVERIFY(m_harness->isAvailable());
    m_config.lineCap = 4096;
    m_config.idleTimeoutSeconds = 1;
    m_harness->startServer(0, m_config, {clockModule()});
}

void TestKavServer::cleanupTestCase()
{
    m_harness.reset();
}

void TestKavServer::badLinesAreAnsweredAndTheConnectionGoesOn_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("code");
    const QString cria = "Zve41300.rdmNutriCard.CriaNutriCard";
    const QJsonObject date{{"date", "2026-03-02"}};
    QTest::addRow("not JSON") << QByteArray("hello there\n") << -32700;
    QTest::addRow("cut JSON") << QByteArray("{\"jsonrpc\":\"2.0\",\"id\":1,\n") << -32700;
    QTest::addRow("method raising an error") << call(1, "Test.Clock.Fail", {}) << -32000;
    QTest::addRow("empty batch") << QByteArray("[]\n") << -32600;
    QTest::addRow("bare value") << QByteArray("1\n") << -32600;
    QTest::addRow("bare text") << QByteArray("\"foo\"\n") << -32600;
    QTest::addRow("lone surrogate")
        << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"rpc.use","params":["\ud800"]})"
                      "\n")
        << -32700;
    QTest::addRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" + getServico(1)) << -32700;
    QTest::addRow("built-in without name") << call(1, "rpc.", {}) << -32601;
    QTest::addRow("method without name") << call(1, "Zve41300.rdmNutriCard.", {}) << -32601;
    QTest::addRow("rpc.objects with an argument") << call(1, "rpc.objects", {1}) << -32602;
    QTest::addRow("rpc.use without its object") << call(1, "rpc.use", {}) << -32602;
    QTest::addRow("rpc.methods of a number") << call(1, "rpc.methods", {7}) << -32602;
    QTest::addRow("unknown object") << call(1, "Zve99999.rdmNada.GetServico", {"0010", "1"}) << -32601;
    QTest::addRow("unknown method") << call(1, "Zve41300.rdmNutriCard.Apaga", {}) << -32601;
    QTest::addRow("no object chosen") << call(1, "GetServico", {"0010", "1"}) << -32601;
    QTest::addRow("too few arguments") << call(1, "Zve41300.rdmNutriCard.GetServico", {"0010"}) << -32602;
    QTest::addRow("too many arguments")
        << call(1, "Zve41300.rdmNutriCard.GetServico", {"0010", "1", "x"}) << -32602;
    QTest::addRow("number for a text") << call(1, "Zve41300.rdmNutriCard.GetServico", {10, "1"}) << -32602;
    QTest::addRow("text for a date") << call(1, cria,
                                             {"0010", "0010", "001", "00001", "2026-03-02", date, false,
                                              false, false, "1", "NL"})
                                     << -32602;
    QTest::addRow("number for a boolean")
        << call(1, cria, {"0010", "0010", "001", "00001", date, date, -1, false, false, "1", "NL"}) << -32602;
    QTest::addRow("malformed typed value")
        << call(1, cria,
                {"0010", "0010", "001", "00001", QJsonObject{{"date", "2026-02-31"}}, date, false, false,
                 false, "1", "NL"})
        << -32602;
}

void TestKavServer::badLinesAreAnsweredAndTheConnectionGoesOn()
{
    QFETCH(QByteArray, line);
    QFETCH(int, code);
    RawClient client(m_harness->port());
    QVERIFY(client.isConnected());
    client.send(line);
    const QJsonObject refusal = client.answer();
    QCOMPARE(errorCode(refusal), code);
    QVERIFY(!refusal.value("error").toObject().value("message").toString().isEmpty());
    client.send(getServico(2));
    const QJsonObject answer = client.answer();
    QCOMPARE(answer.value("id").toInt(), 2);
    QVERIFY(answer.contains("result"));
}

void TestKavServer::notificationRunsWithoutAnswer()
{
    RawClient client(m_harness->port());
    client.send(call(1, "Test.Clock.Sleep", {1}));
    QCOMPARE(client.answer().value("id").toInt(), 1);
    // A call without id is run and never answered: the next answer is the next call's.
    QByteArray notification = call(0, "Test.Clock.Sleep", {1});
    notification.replace("\"id\":0,", "");
    client.send(notification);
    client.send(call(3, "Test.Clock.Sleep", {1}));
    QCOMPARE(client.answer().value("id").toInt(), 3);
}

void TestKavServer::batchGetsOneAnswerPerCall()
{
    const QSqlDatabase db = m_harness->db();
    QByteArray notification = call(0, "Test.Clock.Sleep", {1}).trimmed();
    notification.replace("\"id\":0,", "");
    const QByteArray batch = "[" + getServico(1).trimmed() + ",1," + notification + "," +
                             call(4, "Zve41300.rdmNutriCard.Apaga", {}).trimmed() + "," +
                             call(5, "Zve41300.rdmNutriCard.CriaNutriCard", fullReport()).trimmed() + "]\n";
    RawClient client(m_harness->port());
    client.send(batch);
    const QJsonArray answers = QJsonDocument::fromJson(client.answerLine()).array();
    QCOMPARE(answers.size(), 4); // none for the notification
    QHash<QString, QJsonObject> byId;
    for (const QJsonValue& answer : answers)
        byId.insert(answer.toObject().value("id").toVariant().toString(), answer.toObject());
    QVERIFY(byId.value("1").contains("result"));
    QCOMPARE(errorCode(byId.value("")), -32600); // the bare value, answered with a null id
    QCOMPARE(errorCode(byId.value("4")), -32601);
    // The failed calls did not take the prepared report with them: each call has its transaction.
    const QString key = byId.value("5").value("result").toObject().value("value").toArray().at(0).toString();
    QVERIFY(!key.isEmpty());
    QVERIFY(rowCount(db, key) > 0);
    client.send(getServico(6));
    QCOMPARE(client.answer().value("id").toInt(), 6);
}

void TestKavServer::batchOfNotificationsGetsNoAnswer()
{
    QByteArray notification = call(0, "Test.Clock.Sleep", {1}).trimmed();
    notification.replace("\"id\":0,", "");
    RawClient client(m_harness->port());
    client.send("[" + notification + "," + notification + "]\n");
    client.send(getServico(3));
    QCOMPARE(client.answer().value("id").toInt(), 3);
}

void TestKavServer::largeIdComesBackExactly()
{
    const QByteArray id = "12345678901234567890";
    RawClient client(m_harness->port());
    QByteArray line = getServico(1);
    line.replace("\"id\":1", "\"id\":" + id);
    client.send(line);
    QVERIFY(client.answerLine().contains("\"id\":" + id + ","));
    // Also when the call is refused, and within a batch.
    QByteArray refused = call(1, "Zve41300.rdmNutriCard.GetServico", {});
    refused.replace("\"id\":1", "\"id\":" + id);
    client.send(refused);
    QVERIFY(client.answerLine().contains("\"id\":" + id + ","));
    client.send("[" + line.trimmed() + "]\n");
    QVERIFY(client.answerLine().startsWith("[{\"jsonrpc\":\"2.0\",\"id\":" + id + ","));
}

void TestKavServer::argumentErrorNamesTheProtocolType()
{
    RawClient client(m_harness->port());
    client.send(call(1, "Zve41300.rdmNutriCard.GetServico", {kCentral, 10}));
    const QJsonObject answer = client.answer();
    QCOMPARE(errorCode(answer), -32602);
    QCOMPARE(answer.value("error").toObject().value("message").toString(),
             QString("argument 2 must be text, not integer"));
}

void TestKavServer::halfClosedClientGetsEveryAnswer()
{
    const QSqlDatabase db = m_harness->db();
    const auto keys = [&db] {
        QSqlQuery query(db);
        return query.exec("SELECT COUNT(*) FROM NUTRICARDCAB") && query.next() ? query.value(0).toInt() : -1;
    };
    const int keysBefore = keys();
    const QJsonArray cria = fullReport();
    QByteArray notification = call(0, "Zve41300.rdmNutriCard.CriaNutriCard", cria);
    notification.replace("\"id\":0,", "");
    HalfClosingClient client(m_harness->port());
    QVERIFY(client.isConnected());
    // The last call has no line end: the end of input ends it.
    client.sendAndHalfClose(notification + call(1, "Test.Clock.Sleep", {50}) +
                            call(2, "Zve41300.rdmNutriCard.CriaNutriCard", cria).trimmed());
    QVERIFY(QTest::qWaitFor([&client] { return client.readToEnd(); }, kAnswerTimeoutMs));
    const QList<QByteArray> lines = client.received().split('\n');
    QCOMPARE(lines.size(), 3); // two answers, then the end of the connection
    QSet<int> ids;
    for (const QByteArray& line : lines.first(2)) {
        const QJsonObject answer = QJsonDocument::fromJson(line).object();
        QVERIFY2(answer.contains("result"), line.constData());
        ids.insert(answer.value("id").toInt());
    }
    QCOMPARE(ids, (QSet<int>{1, 2}));
    // The notification committed its report as the answered call did.
    QCOMPARE(keys(), keysBefore + 2);
}

void TestKavServer::connectionChoosesItsObject()
{
    RawClient client(m_harness->port());
    client.send(call(1, "rpc.objects", {}));
    const QJsonArray objects = client.answer().value("result").toObject().value("value").toArray();
    QVERIFY(objects.contains(Zve41300::kServerName));
    client.send(call(2, "rpc.use", {"Zve41300.rdmNada"}));
    QCOMPARE(errorCode(client.answer()), -32601);
    client.send(call(3, "rpc.use", {Zve41300::kServerName}));
    QVERIFY(client.answer().contains("result"));
    client.send(call(4, "GetPesqPeriodoCard", {kCentral, kMenuType}));
    const QJsonObject periods = client.answer();
    QCOMPARE(periods.value("result")
                 .toObject()
                 .value("value")
                 .toObject()
                 .value("packet")
                 .toObject()
                 .value("rows")
                 .toArray()
                 .size(),
             2);
}

void TestKavServer::overlongLineIsRefusedAndClosed()
{
    RawClient client(m_harness->port());
    client.send(QByteArray(int(m_config.lineCap) + 100, 'x'));
    QCOMPARE(errorCode(client.answer()), -32600);
    QVERIFY(client.waitClosed());
    RawClient next(m_harness->port());
    next.send(getServico(1));
    QVERIFY(next.answer().contains("result"));
}

void TestKavServer::unfinishedLineTimesOut()
{
    // The idle client connects first: when the other one's unfinished line has timed out, it has
    // sent nothing for longer than the timeout.
    RawClient idle(m_harness->port());
    RawClient client(m_harness->port());
    client.send("{\"jsonrpc\":\"2.0\",\"id\":1,");
    QCOMPARE(errorCode(client.answer()), -32600);
    QVERIFY(client.waitClosed());
    // A client that sends nothing at all between calls is not disconnected.
    idle.send(getServico(1));
    QVERIFY(idle.answer().contains("result"));
}

void TestKavServer::slowCallDoesNotHoldUpOtherClients()
{
    RawClient slow(m_harness->port());
    RawClient quick(m_harness->port());
    slow.send(call(1, "Test.Clock.WaitForGate", {}));
    QTRY_COMPARE(m_harness->runtime().dispatcher().callsInFlight(), 1);
    quick.send(getServico(2));
    QVERIFY(quick.answer().contains("result"));
    QCOMPARE(m_harness->runtime().dispatcher().callsInFlight(), 1); // the slow call still waits
    gate.release();
    QCOMPARE(slow.answer().value("result").toObject().value("value").toString(), QString("opened"));
}

void TestKavServer::pipelinedCallsAreHeldBackButAllAnswered()
{
    constexpr int kCalls = 100;
    RawClient client(m_harness->port());
    // Long enough that the held-back lines wait past the idle timeout: waiting lines are not an
    // unfinished one, and the connection stays.
    QByteArray flood;
    for (int id = 1; id <= kCalls; ++id)
        flood += call(id, "Test.Clock.Sleep", {120});
    client.send(flood);
    int mostInFlight = 0;
    QSet<int> answered;
    while (answered.size() < kCalls) {
        mostInFlight = std::max(mostInFlight, m_harness->runtime().dispatcher().callsInFlight());
        const QJsonObject answer = client.answer();
        QVERIFY2(answer.contains("result"), "an answer is missing");
        answered.insert(answer.value("id").toInt());
    }
    QCOMPARE(answered.size(), kCalls);
    QVERIFY2(mostInFlight <= RpcConnection::kMaxCallsInFlight, qPrintable(QString::number(mostInFlight)));
}

void TestKavServer::clientLeavingMidCallLeavesNoHalfData()
{
    const QSqlDatabase db = m_harness->db();
    for (int i = 0; i < 5; ++i) {
        RawClient client(m_harness->port());
        client.send(call(1, "Zve41300.rdmNutriCard.CriaNutriCard", fullReport()));
        client.abort();
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().dispatcher().callsInFlight(), 0, kAnswerTimeoutMs);
    // Whatever finished is whole (28 rows per key); nothing stands without its header.
    QSqlQuery keys(db);
    QVERIFY(keys.exec("SELECT NRSEQUNUTR FROM NUTRICARDCAB"));
    while (keys.next())
        QCOMPARE(rowCount(db, keys.value(0).toString()), 28);
    QSqlQuery orphans(db);
    QVERIFY(orphans.exec(
        "SELECT COUNT(*) FROM NUTRICARD WHERE NRSEQUNUTR NOT IN (SELECT NRSEQUNUTR FROM NUTRICARDCAB)"));
    QVERIFY(orphans.next());
    QCOMPARE(orphans.value(0).toInt(), 0);
    RawClient next(m_harness->port());
    next.send(getServico(1));
    QVERIFY(next.answer().contains("result"));
}

void TestKavServer::stopFinishesCallsInFlight()
{
    RawClient client(m_harness->port());
    // The call in flight waits on the gate until the new call has been refused, so the server has
    // read that call before it has nothing left in flight and closes.
    client.send(call(1, "Test.Clock.WaitForGate", {}));
    QTRY_COMPARE(m_harness->runtime().dispatcher().callsInFlight(), 1);
    QSignalSpy stopped(&m_harness->runtime(), &ServerRuntime::stopped);
    m_harness->runtime().stop();
    client.send(call(2, "Test.Clock.Sleep", {1}));
    const QJsonObject refusal = client.answer();
    QCOMPARE(refusal.value("id").toInt(), 2);
    QCOMPARE(errorCode(refusal), -32001);
    gate.release();
    const QJsonObject inFlight = client.answer();
    QCOMPARE(inFlight.value("id").toInt(), 1);
    QCOMPARE(inFlight.value("result").toObject().value("value").toString(), QString("opened"));
    QVERIFY(client.waitClosed());
    QVERIFY(stopped.count() == 1 || stopped.wait(kAnswerTimeoutMs));
    RawClient refused(m_harness->port());
    QVERIFY(!refused.isConnected());
    m_harness->stopServer();
    m_harness->startServer(0, m_config, {clockModule()});
}

void TestKavServer::droppedConnectionReconnectsOnTheNextCall()
{
    Kav::ClientCoreContext context; // the connect handler runs as its command
    TNetConnection& connection = m_harness->client();
    ConnectWatcher watcher;
    Kav::bindEvent(&connection, "OnBeforeConnect", &watcher, "netBeforeConnect");
    connection.setThrowException(false);
    QVERIFY(connection.AppServer().call("GetServico", {kCentral, kMenuType}).isValid());
    QCOMPARE(watcher.connects, 1);
    QVERIFY(connection.AppServer().call("GetServico", {kCentral, kMenuType}).isValid());
    QCOMPARE(watcher.connects, 1); // one connection for both calls

    const quint16 port = m_harness->port();
    m_harness->stopServer();
    try {
        connection.AppServer().call("GetServico", {kCentral, kMenuType});
        QFAIL("called a stopped server");
    } catch (const Kav::Exception& error) {
        QVERIFY2(error.message().contains(QStringLiteral("127.0.0.1:%1").arg(port)),
                 qPrintable(error.message()));
    }
    QCOMPARE(watcher.connects, 2);

    m_harness->startServer(port, m_config, {clockModule()});
    QVERIFY(connection.AppServer().call("GetServico", {kCentral, kMenuType}).isValid());
    QCOMPARE(watcher.connects, 3);
    Kav::unbindEvent(&connection, "OnBeforeConnect");
}

QTEST_GUILESS_MAIN(TestKavServer)
#include "tst_kavserver.moc"
