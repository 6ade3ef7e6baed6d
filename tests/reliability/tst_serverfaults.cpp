// The application server and its database failing under a client: the server killed during a
// call, the database unreachable when the server starts, and the database lost in the middle of
// a call, the first server of the client's list stopped (SIGSTOP: its kernel still accepts), and a
// call cut by a balancer while its server stood still. The client gets a clear message instead of
// waiting out its timeout, nothing half-done stays in the database, calls work again once the
// server or the database is back, a server that accepts but does not answer is passed over for
// the next, and a call its client gave up during a stall neither runs nor stays committed.

#include "DatabaseConnection.h"
#include "DataPacket.h"
#include "KavServerProcess.h"
#include "MenuFixture.h"
#include "NutriCardServer.h"
#include "RdmNutriCard.h"
#include "RpcError.h"
#include "ScratchDatabase.h"
#include "TcpRelay.h"
#include "TNetConnection.h"

#include <csignal>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <sys/socket.h>

using namespace KavServer;
using namespace KavServer::Zve41300;

using namespace MenuFixture;

namespace {

// Long enough that only a dropped connection, never the timer, can end a call in these tests.
constexpr int kCallTimeoutMs = 60000;
// A call is surely in flight this long after it was sent: it waits on a lock or a held relay.
constexpr int kInFlightMs = 300;
// Calls sent at once on one connection, more than the server's worker threads, so that every
// worker has opened its own database connection.
constexpr int kPipelinedCalls = 24;

const QString kDropped = QStringLiteral("caiu durante a chamada");
// Longer than the server takes for a stall (StallWatch::kStallMs).
constexpr int kStallMs = 1500;

QByteArray criaNutriCardLine()
{
    const QJsonObject first{{"date", kFirstDay.toString(Qt::ISODate)}};
    const QJsonObject last{{"date", kLastDay.toString(Qt::ISODate)}};
    const QJsonArray params{kCentral, kCentral, "001_002", kLunch,    first, last,
                            false,    false,    true,      kMenuType, "NL"};
    return QJsonDocument(QJsonObject{{"jsonrpc", "2.0"},
                                     {"id", 1},
                                     {"method", "Zve41300.rdmNutriCard.CriaNutriCard"},
                                     {"params", params}})
               .toJson(QJsonDocument::Compact) +
           '\n';
}

QString fixtureDatabase(const QString& dir, const QString& name)
{
    const QString url = QStringLiteral("sqlite://%1/%2").arg(dir, name);
    install(Kav::DatabaseConnection::open(url, name, Kav::DatabaseConnection::OpenMode::CreateIfMissing));
    return url;
}

// The URL of `url` reached through a relay on `port` instead of its own.
QString throughRelay(const QString& url, quint16 port)
{
    QUrl relayed(url);
    relayed.setHost(QStringLiteral("127.0.0.1"));
    relayed.setPort(port);
    return relayed.toString();
}

// SIGTERM, and the server must stop cleanly; its log tells why when it does not.
void stopCleanly(KavServerProcess& server)
{
    const int status = server.terminate();
    constexpr int kLogTail = 800; // Qt Test cuts long failure texts: the end of the log says most
    QVERIFY2(
        status == 0,
        qPrintable(QStringLiteral("exit status %1, log:\n%2").arg(status).arg(server.log().right(kLogTail))));
}

quint16 portOf(const QString& url)
{
    return quint16(QUrl(url).port(5432));
}

QString hostOf(const QString& url)
{
    return QUrl(url).host();
}

} // namespace

class TestServerFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void serverKilledDuringCriaNutriCard();
    void databaseUnreachableAtStart();
    void databaseLostMidCall();
    void stoppedFirstServerOfTheListIsPassedOver();
    void callCutWhileTheServerStoodStill_data();
    void callCutWhileTheServerStoodStill();

private:
    void connectClient(TNetConnection& client, quint16 port);
    // Sends kPipelinedCalls GetServico calls on one raw connection; how many were answered well.
    int pipelinedGetServico(quint16 port);
    QTemporaryDir m_dir;
};

void TestServerFaults::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestServerFaults::connectClient(TNetConnection& client, quint16 port)
{
    client.setServerName(Zve41300::kServerName);
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(port);
    client.setCallTimeout(kCallTimeoutMs);
}

int TestServerFaults::pipelinedGetServico(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QByteArray lines;
    for (int id = 1; id <= kPipelinedCalls; ++id)
        lines += QStringLiteral(R"({"jsonrpc":"2.0","id":%1,"method":"Zve41300.rdmNutriCard.GetServico",)"
                                R"("params":["%2","%3"]})")
                     .arg(id)
                     .arg(kCentral, kMenuType)
                     .toUtf8() +
                 '\n';
    socket.write(lines);
    int answered = 0;
    int good = 0;
    while (answered < kPipelinedCalls) {
        if (!socket.canReadLine() && !QTest::qWaitFor([&] { return socket.canReadLine(); }, kCallTimeoutMs))
            break;
        const QByteArray line = socket.readLine();
        ++answered;
        if (line.contains(R"("result")") && line.contains(R"("packet")"))
            ++good;
    }
    return good;
}

void TestServerFaults::serverKilledDuringCriaNutriCard()
{
    const QString url = fixtureDatabase(m_dir.path(), QStringLiteral("killed.db"));
    KavServerProcess server;
    QVERIFY2(server.start({"--port", "0", "--database", url}), qPrintable(server.log()));
    const quint16 port = server.port();

    // A writer of our own holds the database, so the call is still running when the kill comes.
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("killed.db"));
    QSqlQuery lock(db);
    QVERIFY(lock.exec(QStringLiteral("BEGIN IMMEDIATE")));

    TNetConnection client;
    connectClient(client, port);
    const NutriCardServer calls(&client);
    QString branch = kCentral, nutrients = QStringLiteral("001_002"), services = kLunch;
    QTimer::singleShot(kInFlightMs, [&] { server.kill(); });
    QString message;
    try {
        calls.CriaNutriCard(kCentral, branch, nutrients, services, QDateTime(kFirstDay, QTime()),
                            QDateTime(kLastDay, QTime()), false, false, true, kMenuType, "NL");
    } catch (const Kav::Exception& error) {
        message = error.message();
    }
    QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
    // The user's action, not the method's name.
    QVERIFY2(message.contains(kDropped) && message.contains("preparar o relatório"), qPrintable(message));
    QVERIFY(!server.isRunning());

    // Back on the same port: the same client goes on with its next command.
    QVERIFY2(server.start({"--port", QString::number(port), "--database", url}), qPrintable(server.log()));
    QVERIFY(!calls.GetServico(kCentral, kMenuType).value<Kav::DataPacket>().rows.isEmpty());
    const QVariant prepared =
        calls.CriaNutriCard(kCentral, branch, nutrients, services, QDateTime(kFirstDay, QTime()),
                            QDateTime(kLastDay, QTime()), false, false, true, kMenuType, "NL");
    QCOMPARE(prepared.metaType().id(), QMetaType::QVariantList);
    QString key = prepared.toList().value(0).toString();
    // Only the new key's rows: the killed call left nothing behind.
    QCOMPARE(allRows(db, "NUTRICARDCAB"), 1);
    QCOMPARE(allRows(db, "NUTRICARD"), rowCount(db, key));
    QCOMPARE(calls.DelNutriCard(key), QVariant(QString()));
    QCOMPARE(allRows(db, "NUTRICARD"), 0);
    // A clean stop after all that: it once crashed at exit, about one time in two.
    stopCleanly(server);
}

void TestServerFaults::databaseUnreachableAtStart()
{
    ScratchDatabase scratch(ScratchDatabase::Engine::PostgreSQL, QStringLiteral("faults_start"));
    KAV_REQUIRE_DATABASE(scratch);
    install(Kav::DatabaseConnection::open(scratch.url(), QStringLiteral("faults_start")));
    TcpRelay relay(hostOf(scratch.url()), portOf(scratch.url()));
    QVERIFY(relay.start());
    relay.down();

    KavServerProcess server;
    const QString url = throughRelay(scratch.url(), relay.port());
    QVERIFY2(server.start({"--port", "0", "--database", url}), qPrintable(server.log()));
    QVERIFY2(server.log().contains("Cannot open the database"), qPrintable(server.log()));

    TNetConnection client;
    connectClient(client, server.port());
    const NutriCardServer calls(&client);
    try {
        calls.GetServico(kCentral, kMenuType);
        QFAIL("a call without a database must fail");
    } catch (const Kav::Rpc::RpcError& error) {
        QCOMPARE(error.code(), int(Kav::Rpc::ApplicationError));
        QVERIFY2(error.message().contains("Cannot open the database"), qPrintable(error.message()));
    }

    relay.up();
    QVERIFY(!calls.GetServico(kCentral, kMenuType).value<Kav::DataPacket>().rows.isEmpty());
    stopCleanly(server);
    // The URL is logged as user@host, never with its password.
    const QUrl secret(scratch.url());
    QVERIFY2(!server.log().contains(QStringLiteral("%1:%2@").arg(secret.userName(), secret.password())),
             "the log shows the database password");
}

void TestServerFaults::databaseLostMidCall()
{
    ScratchDatabase scratch(ScratchDatabase::Engine::PostgreSQL, QStringLiteral("faults_mid"));
    KAV_REQUIRE_DATABASE(scratch);
    install(Kav::DatabaseConnection::open(scratch.url(), QStringLiteral("faults_mid")));
    TcpRelay relay(hostOf(scratch.url()), portOf(scratch.url()));
    QVERIFY(relay.start());
    KavServerProcess server;
    QVERIFY2(server.start({"--port", "0", "--database", throughRelay(scratch.url(), relay.port())}),
             qPrintable(server.log()));
    // Every worker opens its connection through the relay.
    QCOMPARE(pipelinedGetServico(server.port()), kPipelinedCalls);

    TNetConnection client;
    connectClient(client, server.port());
    const NutriCardServer calls(&client);
    relay.hold();
    QTimer::singleShot(kInFlightMs, [&] { relay.down(); });
    QString branch = kCentral, nutrients = QStringLiteral("001_002"), services = kLunch;
    try {
        calls.CriaNutriCard(kCentral, branch, nutrients, services, QDateTime(kFirstDay, QTime()),
                            QDateTime(kLastDay, QTime()), false, false, true, kMenuType, "NL");
        QFAIL("a call whose database went away must fail");
    } catch (const Kav::Rpc::RpcError& error) {
        QCOMPARE(error.code(), int(Kav::Rpc::ApplicationError));
        QVERIFY(!error.message().isEmpty());
    }
    QVERIFY(server.isRunning());

    // Back: every call works at once, whichever worker takes it.
    relay.release();
    relay.up();
    QCOMPARE(pipelinedGetServico(server.port()), kPipelinedCalls);
    const QVariant prepared =
        calls.CriaNutriCard(kCentral, branch, nutrients, services, QDateTime(kFirstDay, QTime()),
                            QDateTime(kLastDay, QTime()), false, false, true, kMenuType, "NL");
    QCOMPARE(prepared.metaType().id(), QMetaType::QVariantList);
    QString key = prepared.toList().value(0).toString();
    QCOMPARE(calls.DelNutriCard(key), QVariant(QString()));
    QCOMPARE(allRows(QSqlDatabase::database(QStringLiteral("faults_mid")), "NUTRICARD"), 0);
    stopCleanly(server);
}

void TestServerFaults::stoppedFirstServerOfTheListIsPassedOver()
{
    const QString url = fixtureDatabase(m_dir.path(), "list.db");
    KavServerProcess hung;
    KavServerProcess alive;
    QVERIFY2(hung.start({"--port", "0", "--database", url}), qPrintable(hung.log()));
    QVERIFY2(alive.start({"--port", "0", "--database", url}), qPrintable(alive.log()));
    QCOMPARE(::kill(pid_t(hung.pid()), SIGSTOP), 0);
    TNetConnection client;
    connectClient(client, 0);
    client.setHost(QStringLiteral("127.0.0.1:%1, 127.0.0.1:%2").arg(hung.port()).arg(alive.port()));
    const QVariant answer = NutriCardServer(&client).GetServico(kCentral, kMenuType);
    ::kill(pid_t(hung.pid()), SIGCONT);
    // Served by the second server, not failed after the first one's call timeout.
    QVERIFY(!answer.value<Kav::DataPacket>().rows.isEmpty());
    QVERIFY2(alive.log().contains("GetServico"), qPrintable(alive.log()));
    QVERIFY2(!hung.log().contains("GetServico"), qPrintable(hung.log()));
    stopCleanly(hung);
    stopCleanly(alive);
}

void TestServerFaults::callCutWhileTheServerStoodStill_data()
{
    // A CriaNutriCard whose client ends its input (a FIN, as a balancer cutting the session sends
    // it, or a plain client waiting for its answer): with the server running, it is answered; sent
    // and cut while the server is stopped (SIGSTOP), or cut while it runs when the server stops,
    // it leaves no key when the server wakes, and the log says why.
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<bool>("runningAtTheStop");
    QTest::addColumn<QString>("logged");
    QTest::addRow("half-closed, server running") << false << false << "ms ok";
    QTest::addRow("sent and cut while stopped") << true << false << "not run";
    QTest::addRow("running when stopped, then cut") << true << true << "not delivered";
}

void TestServerFaults::callCutWhileTheServerStoodStill()
{
    QFETCH(bool, stopped);
    QFETCH(bool, runningAtTheStop);
    QFETCH(QString, logged);
    const QString name = QStringLiteral("stall-%1.db").arg(QTest::currentDataTag()).replace(' ', '-');
    const QString url = fixtureDatabase(m_dir.path(), name);
    KavServerProcess server;
    QVERIFY2(server.start({"--port", "0", "--database", url}), qPrintable(server.log()));
    const auto pid = pid_t(server.pid());
    QSqlDatabase db = QSqlDatabase::database(name);
    QSqlQuery lock(db);
    // A writer of our own holds the database, so the call is still running when the stop comes.
    if (runningAtTheStop)
        QVERIFY(lock.exec(QStringLiteral("BEGIN IMMEDIATE")));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(socket.waitForConnected(kCallTimeoutMs));
    if (stopped && !runningAtTheStop)
        QCOMPARE(::kill(pid, SIGSTOP), 0);
    socket.write(criaNutriCardLine());
    QVERIFY(socket.waitForBytesWritten(kCallTimeoutMs));
    if (runningAtTheStop) {
        QTest::qWait(kInFlightMs);
        QCOMPARE(::kill(pid, SIGSTOP), 0);
    }
    QCOMPARE(::shutdown(int(socket.socketDescriptor()), SHUT_WR), 0);
    if (runningAtTheStop)
        QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
    if (stopped) {
        QTest::qWait(kStallMs);
        QCOMPARE(::kill(pid, SIGCONT), 0);
    }
    // The server closes once the call is done with; what it answered comes before.
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, kCallTimeoutMs);
    const QByteArray answer = socket.readAll();
    QCOMPARE(answer.contains(R"("result")"), !stopped);
    QTRY_VERIFY2_WITH_TIMEOUT(server.log().contains("CriaNutriCard"), qPrintable(server.log()),
                              kCallTimeoutMs);
    const QStringList callLines = server.log().split('\n').filter("CriaNutriCard");
    // The call's own line comes first; an undo has a line of its own after it.
    QVERIFY2(callLines.first().contains(logged), qPrintable(callLines.first()));
    QTRY_COMPARE_WITH_TIMEOUT(allRows(db, "NUTRICARDCAB"), stopped ? 0 : 1, kCallTimeoutMs);
    stopCleanly(server);
}

QTEST_MAIN(TestServerFaults)
#include "tst_serverfaults.moc"
