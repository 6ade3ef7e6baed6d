// Several application servers on one PostgreSQL database, as real processes: what one server
// prepared another finds and deletes; their expiry sweeps run at once without failing or
// removing a key twice; behind HAProxy a server killed under 32 clients costs at most the calls
// it had in flight, and the clients' next commands succeed; a server hung in the middle of taking
// keys (stopped, or a transaction left open on the old key row) holds no other server's key; the
// host configured with two servers, the first one down, opens the screen and prints.

#include "ClusterProcess.h"
#include "DatabaseConnection.h"
#include "DataPacket.h"
#include "KavServerProcess.h"
#include "MenuFixture.h"
#include "NutriCardExpirySweep.h"
#include "NutriCardServer.h"
#include "RdmNutriCard.h"
#include "RpcError.h"
#include "ScratchDatabase.h"
#include "TNetConnection.h"

#include <atomic>
#include <csignal>
#include <QDeadlineTimer>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace KavServer;
using namespace KavServer::Zve41300;

using namespace MenuFixture;

namespace {

constexpr int kCallTimeoutMs = 60000;
constexpr int kClusterServers = 3;
constexpr int kClients = 32;
// Clients run this long before the kill, and go on this long after it.
constexpr int kBeforeKillMs = 2500;
constexpr int kAfterKillMs = 4000;
constexpr int kExpiredKeys = 600;
constexpr int kSweepingServers = 3;
constexpr int kHostTimeoutMs = 180000;
constexpr int kLogWaitMs = 60000;
constexpr int kLogTail = 1500;
const QDateTime kLongAgo(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
// What a client is told of a call whose server went away (docs/protocol.md).
const QString kDropped = QStringLiteral("caiu durante a chamada");
const QStringList kPreparedTables{"NUTRICARD", "NUTRICARDNOTA", "NUTRICARDCAB"};

// Skips when a part is missing, except in CI, where everything must be there.
#define KAV_REQUIRE(reason)                                                                                  \
    do {                                                                                                     \
        const QString missing = (reason);                                                                    \
        if (!missing.isEmpty()) {                                                                            \
            if (ScratchDatabase::inCi())                                                                     \
                QFAIL(qPrintable(missing));                                                                  \
            QSKIP(qPrintable(missing));                                                                      \
        }                                                                                                    \
    } while (false)

void connectTo(TNetConnection& client, const QString& servers)
{
    client.setServerName(Zve41300::kServerName);
    client.setHost(servers);
    client.setPort(0);
    client.setCallTimeout(kCallTimeoutMs);
}

QString loopback(quint16 port)
{
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

// The key of a month prepared for the central, or a failed check.
QString prepare(const NutriCardServer& calls)
{
    QString branch = kCentral, nutrients = QStringLiteral("001_002"), services = kLunch;
    const QVariant prepared =
        calls.CriaNutriCard(kCentral, branch, nutrients, services, QDateTime(kFirstDay, QTime()),
                            QDateTime(kLastDay, QTime()), false, false, true, kMenuType, "NL");
    if (prepared.metaType().id() != QMetaType::QVariantList)
        throw Kav::Exception(QStringLiteral("CriaNutriCard refused: %1").arg(prepared.toString()));
    return prepared.toList().value(0).toString();
}

int preparedRows(const QSqlDatabase& db)
{
    int rows = 0;
    for (const QString& table : kPreparedTables)
        rows += allRows(db, table);
    return rows;
}

// What one client of the killed-server run saw.
struct ClientRecord
{
    QStringList keys;           // every key CriaNutriCard answered
    QStringList failures;       // every failed call's message
    int cyclesAfterKill = 0;    // full command cycles that began after the kill and succeeded
    bool lastCommandOk = false; // the client's last command succeeded
    int failedPreparations = 0; // CriaNutriCard calls that failed (their answer may be lost)
};

// The screen's command cycle, again and again until the deadline. A failed call ends its command,
// as on the screen; data whose deletion failed is deleted by the client's next command.
ClientRecord runClient(quint16 balancer, const std::atomic_bool& killed, QDeadlineTimer deadline)
{
    ClientRecord record;
    TNetConnection client;
    connectTo(client, loopback(balancer));
    const NutriCardServer calls(&client);
    QStringList undeleted;
    const auto cycle = [&] {
        const bool afterKill = killed.load();
        QString step = QStringLiteral("DelNutriCard");
        try {
            while (!undeleted.isEmpty()) {
                QString key = undeleted.first();
                if (!calls.DelNutriCard(key).toString().isEmpty())
                    throw Kav::Exception(QStringLiteral("DelNutriCard refused ") + key);
                undeleted.removeFirst();
            }
            step = QStringLiteral("GetServico");
            if (calls.GetServico(kCentral, kMenuType).value<Kav::DataPacket>().rows.isEmpty())
                throw Kav::Exception(QStringLiteral("GetServico gave no services"));
            step = QStringLiteral("GetPesqPeriodoCard");
            calls.GetPesqPeriodoCard(kCentral, kMenuType);
            step = QStringLiteral("CriaNutriCard");
            QString key = prepare(calls);
            record.keys.append(key);
            undeleted.append(key);
            step = QStringLiteral("DelNutriCard");
            if (!calls.DelNutriCard(key).toString().isEmpty())
                throw Kav::Exception(QStringLiteral("DelNutriCard refused ") + key);
            undeleted.removeOne(key);
            record.lastCommandOk = true;
            record.cyclesAfterKill += afterKill ? 1 : 0;
        } catch (const Kav::Exception& error) {
            record.failures.append(step + QStringLiteral(": ") + error.message());
            record.failedPreparations += step == QStringLiteral("CriaNutriCard") ? 1 : 0;
            record.lastCommandOk = false;
        }
    };
    while (!deadline.hasExpired())
        cycle();
    // The user's next command after a failure, or after a cycle that the kill overlapped and that
    // a loaded machine stretched past the deadline, works.
    if (!record.lastCommandOk || record.cyclesAfterKill == 0)
        cycle();
    return record;
}

} // namespace

class TestCluster : public QObject
{
    Q_OBJECT

private slots:
    void preparedOnOneServerIsDeletedThroughAnother();
    void sweepsOfSeveralServersAtOnceRemoveEachKeyOnce();
    void killedServerBehindTheBalancerCostsOnlyItsCallsInFlight();
    void hostWithTheFirstServerDownOpensTheScreenAndPrints();
    void hungServerHoldsNoOtherServersKey_data();
    void hungServerHoldsNoOtherServersKey();

private:
    // Starts a kavserver on `url`; false (after a failed check) when it did not start.
    static bool startServer(KavServerProcess& server, const QString& url);
    // `count` copies of `key`'s prepared data under new keys, created long ago.
    static void copyAsExpired(QSqlDatabase db, const QString& key, int count);
};

bool TestCluster::startServer(KavServerProcess& server, const QString& url)
{
    const bool started = server.start({"--port", "0", "--database", url});
    if (!started)
        qWarning("%s", qPrintable(server.log()));
    return started;
}

void TestCluster::preparedOnOneServerIsDeletedThroughAnother()
{
    ScratchDatabase scratch(ScratchDatabase::Engine::PostgreSQL, QStringLiteral("cluster_two"));
    KAV_REQUIRE_DATABASE(scratch);
    const QSqlDatabase db = Kav::DatabaseConnection::open(scratch.url(), QStringLiteral("cluster_two"));
    install(db);
    KavServerProcess first, second;
    QVERIFY(startServer(first, scratch.url()));
    QVERIFY(startServer(second, scratch.url()));

    TNetConnection preparing;
    connectTo(preparing, loopback(first.port()));
    const QString key = prepare(NutriCardServer(&preparing));
    QCOMPARE(headerCount(db, key), 1);
    QVERIFY(rowCount(db, key) > 0);

    // The deleting client lists a server that is down before the second one.
    const quint16 down = ClusterProcess::freePorts(1);
    TNetConnection deleting;
    connectTo(deleting, loopback(down) + QLatin1Char(',') + loopback(second.port()));
    QString deleted = key;
    QCOMPARE(NutriCardServer(&deleting).DelNutriCard(deleted), QVariant(QString()));
    QVERIFY(deleting.Connected());
    QCOMPARE(headerCount(db, key), 0);
    QCOMPARE(rowCount(db, key), 0);
    QCOMPARE(first.terminate(), 0);
    QCOMPARE(second.terminate(), 0);
}

void TestCluster::copyAsExpired(QSqlDatabase db, const QString& key, int count)
{
    QSqlQuery query(db);
    for (const QString& table : kPreparedTables) {
        QVERIFY2(
            query.exec(QStringLiteral("CREATE TEMP TABLE COPY_%1 AS SELECT * FROM %1 WHERE NRSEQUNUTR = '%2'")
                           .arg(table, key)),
            qPrintable(query.lastError().text()));
    }
    QVERIFY(query.exec(
        QStringLiteral("UPDATE COPY_NUTRICARDCAB SET DTCRIACAO = '%1'").arg(kLongAgo.toString(Qt::ISODate))));
    QVERIFY(db.transaction());
    for (int copy = 1; copy <= count; ++copy) {
        const QString copyKey = QStringLiteral("E%1").arg(copy, 5, 10, QLatin1Char('0'));
        for (const QString& table : kPreparedTables) {
            QVERIFY(query.exec(QStringLiteral("UPDATE COPY_%1 SET NRSEQUNUTR = '%2'").arg(table, copyKey)));
            QVERIFY2(query.exec(QStringLiteral("INSERT INTO %1 SELECT * FROM COPY_%1").arg(table)),
                     qPrintable(query.lastError().text()));
        }
    }
    QVERIFY(db.commit());
}

void TestCluster::sweepsOfSeveralServersAtOnceRemoveEachKeyOnce()
{
    ScratchDatabase scratch(ScratchDatabase::Engine::PostgreSQL, QStringLiteral("cluster_sweep"));
    KAV_REQUIRE_DATABASE(scratch);
    const QSqlDatabase db = Kav::DatabaseConnection::open(scratch.url(), QStringLiteral("cluster_sweep"));
    install(db);
    QString fresh;
    {
        KavServerProcess server;
        QVERIFY(startServer(server, scratch.url()));
        TNetConnection client;
        connectTo(client, loopback(server.port()));
        fresh = prepare(NutriCardServer(&client));
        QCOMPARE(server.terminate(), 0);
    }
    copyAsExpired(db, fresh, kExpiredKeys);
    if (QTest::currentTestFailed())
        return;

    // Every server sweeps as it starts: started together, they sweep the same keys at once.
    QList<KavServerProcess*> servers;
    for (int i = 0; i < kSweepingServers; ++i)
        servers.append(new KavServerProcess);
    const auto cleanup = qScopeGuard([&] { qDeleteAll(servers); });
    for (KavServerProcess* server : servers)
        QVERIFY(startServer(*server, scratch.url()));

    static const QRegularExpression swept(QStringLiteral("NutriCardExpiry \\d+ ms (\\S+): (.*)"));
    int removed = 0;
    QStringList shares;
    for (KavServerProcess* server : servers) {
        QRegularExpressionMatch match;
        QVERIFY(QTest::qWaitFor([&] { return (match = swept.match(server->log())).hasMatch(); }, kLogWaitMs));
        QVERIFY2(match.captured(1) == QStringLiteral("ok"), qPrintable(match.captured(0)));
        removed += match.captured(2).section(QLatin1Char(' '), 0, 0).toInt();
        shares.append(match.captured(2).section(QLatin1Char(' '), 0, 0));
        QCOMPARE(server->terminate(), 0);
    }
    qInfo("keys removed by each server: %s", qPrintable(shares.join(", ")));
    // Each key was removed by exactly one of them; the fresh key is untouched.
    QCOMPARE(removed, kExpiredKeys);
    QCOMPARE(allRows(db, "NUTRICARDCAB"), 1);
    QCOMPARE(headerCount(db, fresh), 1);
    QCOMPARE(allRows(db, "NUTRICARD"), rowCount(db, fresh));
}

void TestCluster::killedServerBehindTheBalancerCostsOnlyItsCallsInFlight()
{
    KAV_REQUIRE(ClusterProcess::haproxyMissing());
    ScratchDatabase scratch(ScratchDatabase::Engine::PostgreSQL, QStringLiteral("cluster_kill"));
    KAV_REQUIRE_DATABASE(scratch);
    QSqlDatabase db = Kav::DatabaseConnection::open(scratch.url(), QStringLiteral("cluster_kill"));
    install(db);
    ClusterProcess cluster;
    QVERIFY2(cluster.start(kClusterServers, scratch.url()), qPrintable(cluster.output()));

    std::atomic_bool killed = false;
    QMutex mutex;
    QList<ClientRecord> records;
    QList<QThread*> threads;
    const QDeadlineTimer deadline(kBeforeKillMs + kAfterKillMs);
    for (int c = 0; c < kClients; ++c) {
        threads.append(QThread::create([&] {
            const ClientRecord record = runClient(cluster.balancerPort(), killed, deadline);
            const QMutexLocker lock(&mutex);
            records.append(record);
        }));
        threads.last()->start();
    }
    QThread::msleep(kBeforeKillMs);
    const qint64 victim = cluster.serverPids().first();
    QCOMPARE(::kill(pid_t(victim), SIGKILL), 0);
    killed = true;
    for (QThread* thread : std::as_const(threads)) {
        thread->wait();
        delete thread;
    }
    QCOMPARE(records.size(), kClients);

    QStringList keys;
    int failures = 0;
    int failedPreparations = 0;
    for (const ClientRecord& record : std::as_const(records)) {
        for (const QString& failure : record.failures)
            QVERIFY2(failure.contains(kDropped), qPrintable(failure));
        QVERIFY2(record.cyclesAfterKill > 0 && record.lastCommandOk,
                 qPrintable(QStringLiteral("%1 cycles after the kill, last command %2; failures: %3")
                                .arg(record.cyclesAfterKill)
                                .arg(record.lastCommandOk ? "ok" : "failed", record.failures.join('\n'))));
        keys += record.keys;
        failures += int(record.failures.size());
        failedPreparations += record.failedPreparations;
    }
    qInfo("%d clients, %d keys prepared, %d calls lost with the killed server", kClients, int(keys.size()),
          failures);
    QCOMPARE(QSet<QString>(keys.cbegin(), keys.cend()).size(), keys.size());
    QVERIFY2(cluster.balancerLog().contains("kav1 is DOWN"), qPrintable(cluster.balancerLog()));

    // Every key a client received is gone. A CriaNutriCard that committed just before the kill
    // lost its answer: no client knows that key, and only the expiry sweep removes it.
    const int unanswered = allRows(db, "NUTRICARDCAB");
    QVERIFY2(unanswered <= failedPreparations, qPrintable(QString::number(unanswered)));
    for (const QString& key : std::as_const(keys))
        QCOMPARE(headerCount(db, key), 0);
    NutriCardExpirySweep(db).removeCreatedBefore(QDateTime::currentDateTimeUtc().addSecs(1));
    QCOMPARE(preparedRows(db), 0);
    cluster.stop();
}

void TestCluster::hostWithTheFirstServerDownOpensTheScreenAndPrints()
{
    QTemporaryDir dir;
    const QString url = QStringLiteral("sqlite://") + dir.filePath(QStringLiteral("demo.db"));
    for (const QString& command : {QStringLiteral("create"), QStringLiteral("demo")}) {
        QProcess kavdb;
        kavdb.setProcessChannelMode(QProcess::MergedChannels);
        kavdb.start(KavServerProcess::binary(QStringLiteral("kavdb")), {command, url});
        QVERIFY(kavdb.waitForFinished(kHostTimeoutMs));
        QVERIFY2(kavdb.exitCode() == 0, kavdb.readAll().constData());
    }
    KavServerProcess server;
    QVERIFY(startServer(server, url));
    const QString script = dir.filePath(QStringLiteral("demo_print.kscript"));
    QVERIFY(QFile::copy(QStringLiteral(KAV_SOURCE_DIR "/tests/e2e/report/demo_print.kscript"), script));
    QFile(dir.filePath(QStringLiteral("empty.ini"))).open(QIODevice::WriteOnly);

    QProcess host;
    host.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("KAV_CONFIG"), dir.filePath(QStringLiteral("empty.ini")));
    host.setProcessEnvironment(environment);
    const QString servers =
        loopback(ClusterProcess::freePorts(1)) + QLatin1Char(',') + loopback(server.port());
    host.start(KavServerProcess::binary(QStringLiteral("kavhost")),
               {"--script", script, "--database", url, "--server", servers, "--reports",
                QStringLiteral(KAV_SOURCE_DIR "/reports"), "--filial", "0010"});
    QVERIFY(host.waitForFinished(kHostTimeoutMs));
    const QString output = QString::fromUtf8(host.readAll());
    QVERIFY2(host.exitStatus() == QProcess::NormalExit && host.exitCode() == 0, qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("every expectation held")), qPrintable(output));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("demo-report.pdf"))).size() > 0);
    // The prepared data was deleted after the print, through the server that was up.
    QVERIFY2(server.log().contains(QStringLiteral("DelNutriCard")), qPrintable(server.log().right(kLogTail)));
    QCOMPARE(server.terminate(), 0);
}

void TestCluster::hungServerHoldsNoOtherServersKey_data()
{
    // "stopped": SIGSTOP while it prepares report after report, keys and all (a paused machine, a
    // storage stall). "transaction on GERADOR": a session holding the generator's row, as a
    // server stopped between advancing it and committing did.
    QTest::addColumn<bool>("stopServer");
    QTest::addRow("stopped mid-preparation") << true;
    QTest::addRow("transaction left open on GERADOR") << false;
}

void TestCluster::hungServerHoldsNoOtherServersKey()
{
    QFETCH(bool, stopServer);
    constexpr int kPreparationsEach = 5;
    constexpr int kBusyBeforeStopMs = 800;
    KAV_REQUIRE(ClusterProcess::haproxyMissing());
    ScratchDatabase scratch(ScratchDatabase::Engine::PostgreSQL, QStringLiteral("cluster_hung"));
    KAV_REQUIRE_DATABASE(scratch);
    QSqlDatabase db = Kav::DatabaseConnection::open(scratch.url(), QStringLiteral("cluster_hung"));
    install(db);
    QSqlQuery row(db);
    QVERIFY2(row.exec("INSERT INTO GERADOR (NMGERADOR, NRVALOR) VALUES ('NUTRICARD', 0)"),
             qPrintable(row.lastError().text()));
    ClusterProcess cluster;
    QVERIFY2(cluster.start(kClusterServers, scratch.url()), qPrintable(cluster.output()));
    const auto serverPort = [&](int i) { return quint16(cluster.balancerPort() + i); };

    std::atomic_bool busy = true;
    QThread* hungClient = nullptr;
    QSqlDatabase holder;
    const auto release = qScopeGuard([&] {
        busy = false;
        if (stopServer)
            ::kill(pid_t(cluster.serverPids().first()), SIGCONT);
        else
            holder.rollback();
        if (hungClient) {
            hungClient->wait();
            delete hungClient;
        }
    });
    if (stopServer) {
        hungClient = QThread::create([&] {
            TNetConnection client;
            connectTo(client, loopback(serverPort(1)));
            const NutriCardServer calls(&client);
            while (busy) {
                try {
                    prepare(calls);
                } catch (const Kav::Exception&) {
                    // The stop ends its call: nothing to check on the hung server's side.
                }
            }
        });
        hungClient->start();
        QThread::msleep(kBusyBeforeStopMs);
        QCOMPARE(::kill(pid_t(cluster.serverPids().first()), SIGSTOP), 0);
    } else {
        holder = Kav::DatabaseConnection::open(scratch.url(), QStringLiteral("cluster_hung_holder"));
        QVERIFY(holder.transaction());
        QSqlQuery hold(holder);
        QVERIFY2(hold.exec("UPDATE GERADOR SET NRVALOR = NRVALOR + 1 WHERE NMGERADOR = 'NUTRICARD'"),
                 qPrintable(hold.lastError().text()));
    }

    // The other servers prepare while the first is hung.
    QStringList keys;
    for (int i = 2; i <= kClusterServers; ++i) {
        TNetConnection client;
        connectTo(client, loopback(serverPort(i)));
        const NutriCardServer calls(&client);
        for (int n = 0; n < kPreparationsEach; ++n)
            keys.append(prepare(calls));
    }
    QCOMPARE(QSet<QString>(keys.cbegin(), keys.cend()).size(), (kClusterServers - 1) * kPreparationsEach);
}

QTEST_MAIN(TestCluster)
#include "tst_cluster.moc"
