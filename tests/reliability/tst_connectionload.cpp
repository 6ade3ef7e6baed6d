// Connections that cost the server without asking anything: a thousand idle clients and one that
// sends its request a byte a second. The server keeps answering the others, and closes the slow
// one when its line stays unfinished past the idle timeout, however steadily it trickles.

#include "DatabaseConnection.h"
#include "DataPacket.h"
#include "KavServerProcess.h"
#include "NutriCardFixture.h"
#include "NutriCardServer.h"
#include "RdmNutriCard.h"
#include "TNetConnection.h"

#include <memory>
#include <QElapsedTimer>
#include <QSettings>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <vector>

using namespace NutriCardFixture;

namespace {

constexpr int kIdleConnections = 1000;
constexpr int kIdleTimeoutSeconds = 3;
constexpr int kTrickleIntervalMs = 1000;
// Rounds of the screen's command cycle run while the slow client trickles.
constexpr int kCycles = 5;
constexpr int kWaitMs = 60000;

const QByteArray kSlowRequest =
    R"({"jsonrpc":"2.0","id":1,"method":"Zve41300.rdmNutriCard.GetServico","params":["0010","1"]})"
    "\n";

} // namespace

class TestConnectionLoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void idleAndTricklingClientsDoNotStopTheOthers();

private:
    void commandCycle(const NutriCardServer& calls);

    QTemporaryDir m_dir;
    KavServerProcess m_server;
};

void TestConnectionLoad::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString url = "sqlite://" + m_dir.filePath("load.db");
    install(Kav::DatabaseConnection::open(url, "load", Kav::DatabaseConnection::OpenMode::CreateIfMissing));
    const QString ini = m_dir.filePath("kavserver.ini");
    {
        QSettings settings(ini, QSettings::IniFormat);
        settings.setValue("Server/IdleTimeoutSeconds", kIdleTimeoutSeconds);
    }
    QVERIFY2(m_server.start({"--config", ini, "--port", "0", "--database", url}), qPrintable(m_server.log()));
}

void TestConnectionLoad::commandCycle(const NutriCardServer& calls)
{
    QVERIFY(!calls.GetServico(kCentral, kMenuType).value<Kav::DataPacket>().rows.isEmpty());
    QVERIFY(!calls.GetPesqPeriodoCard(kCentral, kMenuType).value<Kav::DataPacket>().rows.isEmpty());
    QString branch = kAggregated, nutrients = QStringLiteral("001_002"), services = kLunch;
    const QVariant prepared =
        calls.CriaNutriCard(kCentral, branch, nutrients, services, QDateTime(kFirstDay, QTime()),
                            QDateTime(kLastDay, QTime()), false, false, true, kMenuType, "DL");
    QVERIFY2(prepared.metaType().id() == QMetaType::QVariantList, qPrintable(prepared.toString()));
    QString key = prepared.toList().value(0).toString();
    QCOMPARE(calls.DelNutriCard(key), QVariant(QString()));
}

void TestConnectionLoad::idleAndTricklingClientsDoNotStopTheOthers()
{
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < kIdleConnections; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress::LocalHost, m_server.port());
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(idle.cbegin(), idle.cend(),
                    [](const auto& s) { return s->state() == QAbstractSocket::ConnectedState; }),
        kWaitMs);

    QTcpSocket slow;
    slow.connectToHost(QHostAddress::LocalHost, m_server.port());
    QVERIFY(slow.waitForConnected(kWaitMs));
    qsizetype sent = 0;
    QTimer trickle;
    connect(&trickle, &QTimer::timeout, this, [&] {
        if (slow.state() == QAbstractSocket::ConnectedState && sent < kSlowRequest.size())
            slow.write(kSlowRequest.mid(sent++, 1));
    });
    trickle.start(kTrickleIntervalMs);

    TNetConnection client;
    client.setServerName(Zve41300::kServerName);
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(m_server.port());
    const NutriCardServer calls(&client);
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        commandCycle(calls);
        if (QTest::currentTestFailed())
            return;
    }

    // The trickle never finishes its line: the server answers it with a refusal and closes it,
    // well before it could have sent the whole request.
    QTRY_VERIFY_WITH_TIMEOUT(slow.state() == QAbstractSocket::UnconnectedState || slow.canReadLine(),
                             kWaitMs);
    const QByteArray refusal = slow.readLine();
    QVERIFY2(refusal.contains("-32600") && refusal.contains("not finished"), refusal.constData());
    QVERIFY(sent < kSlowRequest.size());

    // Idle clients are not refused for being idle: any of them can still call.
    QTcpSocket& last = *idle.back();
    QCOMPARE(last.state(), QAbstractSocket::ConnectedState);
    last.write(kSlowRequest);
    QTRY_VERIFY_WITH_TIMEOUT(last.canReadLine(), kWaitMs);
    QVERIFY(last.readLine().contains(R"("packet")"));
    QVERIFY(m_server.isRunning());
    QCOMPARE(m_server.terminate(), 0);
}

QTEST_MAIN(TestConnectionLoad)
#include "tst_connectionload.moc"
