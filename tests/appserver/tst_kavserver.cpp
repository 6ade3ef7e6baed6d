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
#include "RpcError.h"
#include "StallWatch.h"

#include <netinet/in.h>
#include <QDeadlineTimer>
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
#include <thread>
#include <unistd.h>

using namespace KavServer;
using namespace KavServer::Zve41300;

using namespace MenuFixture;

namespace {

constexpr int kAnswerTimeoutMs = 10000;
const QString kTestObject = "Test.Clock";

// Opened by a test to let a waiting call end; a call never waits longer than an answer may take.
QSemaphore gate;

// A row a committed call keeps, which its undo removes.
const QString kKeptName = QStringLiteral("KEPT-UNTIL-GONE");

// The methods JSON-RPC 2.0's own examples call, by position.
void addExampleMethods(RemoteDataModule& module)
{
    using A = RemoteMethod::Arg;
    const auto integer = [](CallContext& context, int i) { return context.args().at(i).toLongLong(); };
    module.addMethod(
        {"subtract", {A::Integer, A::Integer}, RemoteMethod::Transaction::Read, [=](CallContext& c) {
             return QVariant(integer(c, 0) - integer(c, 1));
         }});
    module.addMethod(
        {"sum", {A::Integer, A::Integer, A::Integer}, RemoteMethod::Transaction::Read, [=](CallContext& c) {
             return QVariant(integer(c, 0) + integer(c, 1) + integer(c, 2));
         }});
    module.addMethod({"update",
                      {A::Integer, A::Integer, A::Integer, A::Integer, A::Integer},
                      RemoteMethod::Transaction::Read,
                      [](CallContext&) { return QVariant(); }});
    module.addMethod({"notify_hello", {A::Integer}, RemoteMethod::Transaction::Read, [](CallContext&) {
                          return QVariant();
                      }});
    module.addMethod({"notify_sum",
                      {A::Integer, A::Integer, A::Integer},
                      RemoteMethod::Transaction::Read,
                      [](CallContext&) { return QVariant(); }});
    module.addMethod({"get_data", {}, RemoteMethod::Transaction::Read, [](CallContext&) {
                          return QVariant(QVariantList{QStringLiteral("hello"), 5});
                      }});
}

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
    // An answer of `size` bytes, to fill what a client does not read.
    module->addMethod(
        {"Blob", {RemoteMethod::Arg::Integer}, RemoteMethod::Transaction::Read, [](CallContext& context) {
             return QVariant(QString(context.args().at(0).toInt(), 'x'));
         }});
    addExampleMethods(*module);
    RemoteMethod kept{
        "KeepUntilGone", {}, RemoteMethod::Transaction::Own, [](CallContext& context) {
            QSqlQuery insert(context.db());
            insert.exec(
                QStringLiteral("INSERT INTO GERADOR (NMGERADOR, NRVALOR) VALUES ('%1', 1)").arg(kKeptName));
            const QDeadlineTimer deadline(kAnswerTimeoutMs);
            while (!context.clientGone() && !deadline.hasExpired())
                QThread::msleep(1);
            return QVariant(kKeptName);
        }};
    kept.undoUndelivered = [](CallContext& context, const QVariant& answer) {
        QSqlQuery remove(context.db());
        remove.exec(QStringLiteral("DELETE FROM GERADOR WHERE NMGERADOR = '%1'").arg(answer.toString()));
    };
    module->addMethod(kept);
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
    // Gone at once, as a client that gave up: the server reads a reset, not an end of input.
    void reset()
    {
        const linger now{1, 0};
        ::setsockopt(int(m_socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof(now));
        m_socket.abort();
    }

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
        send(bytes);
        halfClose();
    }
    void send(const QByteArray& bytes)
    {
        QCOMPARE(::send(m_socket, bytes.constData(), size_t(bytes.size()), 0), ssize_t(bytes.size()));
    }
    void halfClose() { ::shutdown(m_socket, SHUT_WR); }
    // Reads what arrived; true once the server closed its end.
    bool readToEnd()
    {
        char chunk[64 * 1024];
        ssize_t got = 0;
        while ((got = ::recv(m_socket, chunk, sizeof(chunk), MSG_DONTWAIT)) > 0)
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
    void callThatRanThroughAStallIsNotAnswered();
    void connectionChoosesItsObject();
    void overlongLineIsRefusedAndClosed();
    void unfinishedLineTimesOut();
    void slowCallDoesNotHoldUpOtherClients();
    void pipelinedCallsAreHeldBackButAllAnswered();
    void clientLeavingMidCallLeavesNoHalfData();
    void stopFinishesCallsInFlight();
    void droppedConnectionReconnectsOnTheNextCall();
    void jsonRpcExamplesGetTheirAnswers_data();
    void jsonRpcExamplesGetTheirAnswers();
    void notificationsAreNeverAnswered_data();
    void notificationsAreNeverAnswered();
    void slowReaderIsReadAgainOnceItsAnswersDrain();
    void connectionsPastTheCapAreRefusedClearly();
    void callOfAGoneClientIsNeverStarted();
    void committedCallOfAGoneClientIsUndone();
    void batchDoesNotHoldUpOtherClients();
    void callGivenUpByTheClientLeavesNoRows();
    void sweepGivesTheSpaceBack();

private:
    // Fills every worker with a call waiting on the gate; returns the client holding them.
    std::unique_ptr<RawClient> occupyWorkers();
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

void TestKavServer::callThatRanThroughAStallIsNotAnswered()
{
    HalfClosingClient client(m_harness->port());
    QVERIFY(client.isConnected());
    client.send(call(1, "Test.Clock.WaitForGate", {}));
    QTRY_COMPARE(m_harness->runtime().dispatcher().callsInFlight(), 1);
    // The server's thread stands still, as a stopped process, while its worker goes on: meanwhile
    // the client ends its input (a balancer's cut) and the call finishes. On waking the server
    // sees both at once, the call's end first.
    std::thread meanwhile([&client] {
        QThread::msleep(StallWatch::kStallMs / 4);
        client.halfClose();
        gate.release();
    });
    QThread::msleep(StallWatch::kStallMs * 3 / 2);
    meanwhile.join();
    QVERIFY(QTest::qWaitFor([&client] { return client.readToEnd(); }, kAnswerTimeoutMs));
    QVERIFY2(client.received().isEmpty(), client.received().constData());
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
    constexpr int kLeaving = 5;
    const RpcServer& server = m_harness->runtime().server();
    // The connections of earlier cases end first, so the server's count is these clients' alone.
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 0, kAnswerTimeoutMs);
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < kLeaving; ++i) {
        clients.push_back(std::make_unique<RawClient>(m_harness->port()));
        clients.back()->send(call(1, "Zve41300.rdmNutriCard.CriaNutriCard", fullReport()));
    }
    // Every connection taken before the clients leave, and every one ended after it: a connection
    // ends only once its lines are read and its calls are done, so no call is still to come.
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), kLeaving, kAnswerTimeoutMs);
    for (const auto& client : clients)
        client->abort();
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 0, kAnswerTimeoutMs);
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

// Each answer as what it says: the id with the result's value or the error's code.
QString gist(const QJsonValue& answer)
{
    const QJsonObject object = answer.toObject();
    const QString id =
        QString::fromUtf8(QJsonDocument(QJsonArray{object.value("id")}).toJson(QJsonDocument::Compact));
    if (object.contains("error"))
        return id + " error " + QString::number(errorCode(object));
    return id + " " +
           QString::fromUtf8(QJsonDocument(QJsonArray{object.value("result").toObject().value("value")})
                                 .toJson(QJsonDocument::Compact));
}

// The answer lines up to the marker call's own, summed up, a batch's answers in sorted order.
QStringList answersBeforeMarker(RawClient& client)
{
    client.send(call(999, "rpc.objects", {}));
    QStringList answers;
    for (;;) {
        const QByteArray line = client.answerLine();
        if (line.isEmpty())
            return answers << "no marker";
        const QJsonDocument document = QJsonDocument::fromJson(line);
        if (document.isObject() && document.object().value("id").toInt() == 999)
            return answers;
        QStringList batch;
        for (const QJsonValue& answer : document.isArray() ? document.array() : QJsonArray{document.object()})
            batch.append(gist(answer));
        batch.sort();
        answers.append(batch.join(" | "));
    }
}

void TestKavServer::jsonRpcExamplesGetTheirAnswers_data()
{
    // JSON-RPC 2.0's own examples, word for word; "foo.get" and "foobar"
    // name nothing this server has. Answers: the id with the result's value or the error code.
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QStringList>("expected");
    QTest::addRow("positional 1")
        << QByteArray(R"({"jsonrpc": "2.0", "method": "subtract", "params": [42, 23], "id": 1})")
        << QStringList{"[1] [19]"};
    QTest::addRow("positional 2")
        << QByteArray(R"({"jsonrpc": "2.0", "method": "subtract", "params": [23, 42], "id": 2})")
        << QStringList{"[2] [-19]"};
    // Arguments by name are refused: the methods of this server take theirs by position.
    QTest::addRow("named")
        << QByteArray(
               R"({"jsonrpc": "2.0", "method": "subtract", "params": {"subtrahend": 23, "minuend": 42}, "id": 3})")
        << QStringList{"[3] error -32602"};
    QTest::addRow("notification") << QByteArray(
                                         R"({"jsonrpc": "2.0", "method": "update", "params": [1,2,3,4,5]})")
                                  << QStringList{};
    QTest::addRow("notification of nothing")
        << QByteArray(R"({"jsonrpc": "2.0", "method": "foobar"})") << QStringList{};
    QTest::addRow("no such method") << QByteArray(R"({"jsonrpc": "2.0", "method": "foobar", "id": "1"})")
                                    << QStringList{R"(["1"] error -32601)"};
    QTest::addRow("invalid JSON") << QByteArray(
                                         R"({"jsonrpc": "2.0", "method": "foobar, "params": "bar", "baz])")
                                  << QStringList{"[null] error -32700"};
    QTest::addRow("invalid request") << QByteArray(R"({"jsonrpc": "2.0", "method": 1, "params": "bar"})")
                                     << QStringList{"[null] error -32600"};
    QTest::addRow("batch, invalid JSON")
        << QByteArray(
               R"([ {"jsonrpc": "2.0", "method": "sum", "params": [1,2,4], "id": "1"}, {"jsonrpc": "2.0", "method" ])")
        << QStringList{"[null] error -32700"};
    QTest::addRow("empty array") << QByteArray("[]") << QStringList{"[null] error -32600"};
    QTest::addRow("batch of one non-request") << QByteArray("[1]") << QStringList{"[null] error -32600"};
    QTest::addRow("batch of non-requests")
        << QByteArray("[1,2,3]")
        << QStringList{"[null] error -32600 | [null] error -32600 | [null] error -32600"};
    QTest::addRow("batch")
        << QByteArray(
               R"([{"jsonrpc": "2.0", "method": "sum", "params": [1,2,4], "id": "1"}, {"jsonrpc": "2.0", "method": "notify_hello", "params": [7]}, {"jsonrpc": "2.0", "method": "subtract", "params": [42,23], "id": "2"}, {"foo": "boo"}, {"jsonrpc": "2.0", "method": "foo.get", "params": {"name": "myself"}, "id": "5"}, {"jsonrpc": "2.0", "method": "get_data", "id": "9"}])")
        << QStringList{
               R"(["1"] [7] | ["2"] [19] | ["5"] error -32601 | ["9"] [["hello",5]] | [null] error -32600)"};
    QTest::addRow("batch of notifications")
        << QByteArray(
               R"([{"jsonrpc": "2.0", "method": "notify_sum", "params": [1,2,4]}, {"jsonrpc": "2.0", "method": "notify_hello", "params": [7]}])")
        << QStringList{};
}

void TestKavServer::jsonRpcExamplesGetTheirAnswers()
{
    QFETCH(QByteArray, request);
    QFETCH(QStringList, expected);
    RawClient client(m_harness->port());
    client.send(call(0, "rpc.use", {kTestObject}));
    QVERIFY(client.answer().contains("result"));
    client.send(request + '\n');
    QCOMPARE(answersBeforeMarker(client), expected);
}

void TestKavServer::notificationsAreNeverAnswered_data()
{
    QTest::addColumn<QByteArray>("line");
    const QByteArray cria = R"({"jsonrpc":"2.0","method":"Zve41300.rdmNutriCard.CriaNutriCard","params":)";
    QTest::addRow("too few arguments") << cria + "[]}";
    QTest::addRow("malformed typed value") << cria + R"([{"date":"2026-02-31"}]})";
    QTest::addRow("arguments by name") << cria + R"({"x":1}})";
    QTest::addRow("unknown method") << QByteArray(
        R"({"jsonrpc":"2.0","method":"Zve41300.rdmNutriCard.Apaga"})");
    QTest::addRow("unknown built-in") << QByteArray(R"({"jsonrpc":"2.0","method":"rpc.nada","params":[]})");
    QTest::addRow("built-in with bad arguments")
        << QByteArray(R"({"jsonrpc":"2.0","method":"rpc.use","params":[7]})");
    QTest::addRow("method raising") << QByteArray(R"({"jsonrpc":"2.0","method":"Test.Clock.Fail"})");
    QTest::addRow("in a batch") << "[" + cria + "[]}," + cria + R"([{"float":"x"}]}])";
}

void TestKavServer::notificationsAreNeverAnswered()
{
    QFETCH(QByteArray, line);
    RawClient client(m_harness->port());
    client.send(line + '\n');
    QCOMPARE(answersBeforeMarker(client), QStringList{});
}

void TestKavServer::slowReaderIsReadAgainOnceItsAnswersDrain()
{
    // Far more answer bytes than the server holds for a client that does not read: it stops
    // reading that client's calls, and must take them up again as the client reads.
    // More calls than a connection runs at once, so that lines still wait unread when it is held.
    constexpr int kCalls = 160;
    constexpr int kAnswerBytes = 128 * 1024;
    HalfClosingClient client(m_harness->port());
    QVERIFY(client.isConnected());
    QByteArray calls;
    for (int id = 1; id <= kCalls; ++id)
        calls += call(id, "Test.Clock.Blob", {kAnswerBytes});
    client.sendAndHalfClose(calls);
    QTest::qWait(500); // the server fills what the client leaves unread and holds back
    const bool closed = QTest::qWaitFor([&] { return client.readToEnd(); }, 4 * kAnswerTimeoutMs);
    QVERIFY2(closed, qPrintable(QStringLiteral("%1 answers arrived").arg(client.received().count('\n'))));
    QCOMPARE(client.received().count('\n'), kCalls);
}

void TestKavServer::connectionsPastTheCapAreRefusedClearly()
{
    constexpr int kCap = 3;
    ServerConfig capped = m_config;
    capped.maxConnections = kCap;
    m_harness->startServer(0, capped, {clockModule()});
    std::vector<std::unique_ptr<RawClient>> served;
    for (int i = 0; i < kCap; ++i) {
        served.push_back(std::make_unique<RawClient>(m_harness->port()));
        served.back()->send(getServico(i));
        QVERIFY(served.back()->answer().contains("result"));
    }
    RawClient refused(m_harness->port());
    const QJsonObject refusal = refused.answer();
    QCOMPARE(errorCode(refusal), int(Kav::Rpc::ServerBusy));
    QVERIFY2(refusal.value("error").toObject().value("message").toString().contains("3 connections"),
             qPrintable(refusal.value("error").toObject().value("message").toString()));
    QVERIFY(refused.waitClosed());
    // One leaving makes room for the next.
    served.front()->abort();
    QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().server().connectionCount(), kCap - 1, kAnswerTimeoutMs);
    RawClient next(m_harness->port());
    next.send(getServico(9));
    QCOMPARE(next.answer().value("id").toInt(), 9);
    m_harness->startServer(0, m_config, {clockModule()});
}

std::unique_ptr<RawClient> TestKavServer::occupyWorkers()
{
    auto holder = std::make_unique<RawClient>(m_harness->port());
    QByteArray calls;
    for (int id = 1; id <= m_config.threads; ++id)
        calls += call(id, "Test.Clock.WaitForGate", {});
    holder->send(calls);
    if (!QTest::qWaitFor(
            [&] { return m_harness->runtime().dispatcher().callsInFlight() == m_config.threads; },
            kAnswerTimeoutMs))
        qWarning("the workers were not all taken");
    return holder;
}

void TestKavServer::callOfAGoneClientIsNeverStarted()
{
    const QSqlDatabase db = m_harness->db();
    QSqlQuery generator(db);
    const auto keysTaken = [&] {
        generator.exec("SELECT COALESCE(MAX(NRVALOR), 0) FROM GERADOR WHERE NMGERADOR = 'NUTRICARD'");
        return generator.next() ? generator.value(0).toLongLong() : -1;
    };
    const qint64 before = keysTaken();
    const std::unique_ptr<RawClient> holder = occupyWorkers();
    const int connections = m_harness->runtime().server().connectionCount();
    {
        RawClient gone(m_harness->port());
        gone.send(call(1, "Zve41300.rdmNutriCard.CriaNutriCard", fullReport()));
        QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().dispatcher().callsInFlight(), m_config.threads + 1,
                                  kAnswerTimeoutMs);
        gone.reset();
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().server().connectionCount(), connections, kAnswerTimeoutMs);
    gate.release(m_config.threads);
    QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().dispatcher().callsInFlight(), 0, kAnswerTimeoutMs);
    // It never ran: not even a key was taken.
    QCOMPARE(keysTaken(), before);
}

void TestKavServer::committedCallOfAGoneClientIsUndone()
{
    const QSqlDatabase db = m_harness->db();
    const auto keptRows = [&] {
        QSqlQuery count(db);
        count.exec(QStringLiteral("SELECT COUNT(*) FROM GERADOR WHERE NMGERADOR = '%1'").arg(kKeptName));
        return count.next() ? count.value(0).toInt() : -1;
    };
    {
        RawClient gone(m_harness->port());
        gone.send(call(1, "Test.Clock.KeepUntilGone", {}));
        QTRY_COMPARE_WITH_TIMEOUT(keptRows(), 1, kAnswerTimeoutMs);
        gone.reset();
    }
    // The answer had nobody to go to: what the call kept is taken back.
    QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().dispatcher().callsInFlight(), 0, kAnswerTimeoutMs);
    QCOMPARE(keptRows(), 0);
}

void TestKavServer::batchDoesNotHoldUpOtherClients()
{
    // A batch of twice as many waiting calls as there are workers: the first round takes every
    // worker, the second waits for them. Another client's call must get the first free worker,
    // not wait behind the whole batch.
    const int threads = m_config.threads;
    RawClient batcher(m_harness->port());
    QByteArray batch = "[";
    for (int id = 1; id <= 2 * threads; ++id)
        batch += (id > 1 ? "," : "") + call(id, "Test.Clock.WaitForGate", {}).trimmed();
    batcher.send(batch + "]\n");
    QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().dispatcher().callsInFlight(), 2 * threads,
                              kAnswerTimeoutMs);
    RawClient other(m_harness->port());
    other.send(getServico(1));
    QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().dispatcher().callsInFlight(), 2 * threads + 1,
                              kAnswerTimeoutMs);
    gate.release(threads); // the first round ends; the batch's second round and the call compete
    QCOMPARE(other.answer().value("id").toInt(), 1);
    gate.release(threads);
    const QJsonArray answers = QJsonDocument::fromJson(batcher.answerLine()).array();
    QCOMPARE(answers.size(), 2 * threads);
}

void TestKavServer::callGivenUpByTheClientLeavesNoRows()
{
    // A screen that stops waiting (the user's "Cancelar", the call timeout) resets its connection:
    // the server learns at once that nobody will read the answer, and keeps nothing of the call.
    const QSqlDatabase db = m_harness->db();
    const int headers = allRows(db, "NUTRICARDCAB");
    const std::unique_ptr<RawClient> holder = occupyWorkers();
    const int connections = m_harness->runtime().server().connectionCount();
    TNetConnection client;
    client.setServerName(Zve41300::kServerName);
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(m_harness->port());
    client.setCallTimeout(300);
    QString branch = kCentral, nutrients = QStringLiteral("001_002"), services = kLunch;
    QVERIFY_THROWS_EXCEPTION(
        Kav::Exception,
        client.AppServer().call("CriaNutriCard",
                                {kCentral, Kav::RemoteArg::byRef(branch), Kav::RemoteArg::byRef(nutrients),
                                 Kav::RemoteArg::byRef(services), kFirstDay, kLastDay, false, false, true,
                                 kMenuType, "NL"}));
    QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().server().connectionCount(), connections, kAnswerTimeoutMs);
    gate.release(m_config.threads);
    QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().dispatcher().callsInFlight(), 0, kAnswerTimeoutMs);
    QCOMPARE(allRows(db, "NUTRICARDCAB"), headers);
}

void TestKavServer::sweepGivesTheSpaceBack()
{
    const QSqlDatabase db = m_harness->db();
    const auto pragma = [&](const char* name) {
        QSqlQuery query(db);
        return query.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(name))) && query.next()
                   ? query.value(0).toLongLong()
                   : -1;
    };
    QCOMPARE(pragma("auto_vacuum"), 2); // incremental, as kavdb makes the file
    constexpr int kReports = 12;
    RawClient client(m_harness->port());
    for (int id = 1; id <= kReports; ++id) {
        client.send(call(id, "Zve41300.rdmNutriCard.CriaNutriCard", fullReport()));
        QVERIFY(client.answer().contains("result"));
    }
    QSqlQuery age(db);
    QVERIFY(age.exec("UPDATE NUTRICARDCAB SET DTCRIACAO = '2020-01-01 00:00:00'"));
    m_harness->runtime().dispatcher().runTask("expiry",
                                              Zve41300::nutriCardExpiryTask(std::chrono::hours(24)));
    QTRY_COMPARE_WITH_TIMEOUT(m_harness->runtime().dispatcher().callsInFlight(), 0, kAnswerTimeoutMs);
    QCOMPARE(allRows(db, "NUTRICARDCAB"), 0);
    QCOMPARE(pragma("freelist_count"), 0); // no page left free in the file
}

QTEST_GUILESS_MAIN(TestKavServer)
#include "tst_kavserver.moc"
