// Longer reliability runs, bounded in time (`./run soak`): many clients running the screen's
// command cycle for a minute without one error or one prepared row left behind, and the server
// killed at random moments of CriaNutriCard again and again, each time leaving nothing half-done
// and serving the next command after its restart.

#include "DatabaseConnection.h"
#include "DataPacket.h"
#include "KavException.h"
#include "KavServerProcess.h"
#include "MenuFixture.h"
#include "NutriCardServer.h"
#include "RdmNutriCard.h"
#include "TNetConnection.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

using namespace KavServer;
using namespace KavServer::Zve41300;

using namespace MenuFixture;

namespace {

constexpr int kLoadSeconds = 60;
constexpr int kLoadClients = 64;
constexpr int kKillRounds = 20;
constexpr int kKillWithinMs = 400;
constexpr int kWaitMs = 600000;

} // namespace

class SoakServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void manyClientsForAMinute();
    void killedAgainAndAgainDuringCriaNutriCard();

private:
    QTemporaryDir m_dir;
    QString m_url;
};

void SoakServer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_url = "sqlite://" + m_dir.filePath("soak.db");
    install(Kav::DatabaseConnection::open(m_url, "soak", Kav::DatabaseConnection::OpenMode::CreateIfMissing));
}

void SoakServer::manyClientsForAMinute()
{
    // The load benchmark's client fails when any call failed or any prepared row was left.
    QProcess load;
    load.setProcessChannelMode(QProcess::ForwardedChannels);
    load.start(KavServerProcess::binary("kavbench_load"),
               {"--database", m_url, "--central", kCentral, "--menu-type", kMenuType, "--first",
                kFirstDay.toString(Qt::ISODate), "--last", kLastDay.toString(Qt::ISODate), "--clients",
                QString::number(kLoadClients), "--seconds", QString::number(kLoadSeconds)});
    QVERIFY(load.waitForFinished(kWaitMs));
    QCOMPARE(load.exitStatus(), QProcess::NormalExit);
    QCOMPARE(load.exitCode(), 0);
}

void SoakServer::killedAgainAndAgainDuringCriaNutriCard()
{
    QSqlDatabase db = QSqlDatabase::database("soak");
    KavServerProcess server;
    QVERIFY2(server.start({"--port", "0", "--database", m_url}), qPrintable(server.log()));
    const QString port = QString::number(server.port());
    TNetConnection client;
    client.setServerName(Zve41300::kServerName);
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(server.port());
    const NutriCardServer calls(&client);
    for (int round = 0; round < kKillRounds; ++round) {
        QTimer::singleShot(int(QRandomGenerator::global()->bounded(kKillWithinMs)), [&] { server.kill(); });
        while (server.isRunning()) {
            QString branch = kAggregated, nutrients = QStringLiteral("001_002"), services = kLunch;
            try {
                const QVariant prepared =
                    calls.CriaNutriCard(kCentral, branch, nutrients, services, QDateTime(kFirstDay, QTime()),
                                        QDateTime(kLastDay, QTime()), false, false, true, kMenuType, "NL");
                QString key = prepared.toList().value(0).toString();
                calls.DelNutriCard(key);
            } catch (const Kav::Exception&) {
                // The kill came during a call: expected.
            }
        }
        QVERIFY2(server.start({"--port", port, "--database", m_url}), qPrintable(server.log()));
        // Whatever the kill interrupted was rolled back or finished whole: a key either has its
        // header and rows or nothing.
        QSqlQuery orphans(db);
        QVERIFY(orphans.exec("SELECT COUNT(*) FROM NUTRICARD N WHERE NOT EXISTS"
                             " (SELECT 1 FROM NUTRICARDCAB C WHERE C.NRSEQUNUTR = N.NRSEQUNUTR)"));
        QVERIFY(orphans.next());
        QCOMPARE(orphans.value(0).toInt(), 0);
        QVERIFY(!calls.GetServico(kCentral, kMenuType).value<Kav::DataPacket>().rows.isEmpty());
    }
    QCOMPARE(server.terminate(), 0);
}

QTEST_MAIN(SoakServer)
#include "soak_server.moc"
