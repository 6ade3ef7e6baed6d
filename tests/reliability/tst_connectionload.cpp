// Connections that cost the server without asking anything: a thousand idle clients and one that
// sends its request a byte a second. The server keeps answering the others, and closes the slow
// one when its line stays unfinished past the idle timeout, however steadily it trickles. A client
// that pipelines requests and never reads the answers does not grow the server's memory. Out of
// descriptors, the server pauses accepting instead of spinning, says so once, and takes new
// clients again when connections close; its listen backlog is the system's own.

#include "DatabaseConnection.h"
#include "DataPacket.h"
#include "KavServerProcess.h"
#include "MenuFixture.h"
#include "NutriCardServer.h"
#include "RdmNutriCard.h"
#include "TNetConnection.h"

#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace KavServer;
using namespace KavServer::Zve41300;

using namespace MenuFixture;

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

// Requests pipelined by the client that never reads: each 2-byte line is answered with an error of
// about 100 bytes, so answers the server kept for it would grow to about 200 MB.
constexpr qsizetype kBurstBytes = 4 * 1024 * 1024;
// What the server's resident memory may grow by while that client holds its answers unread.
constexpr qint64 kMemoryGrowthBoundKb = 64 * 1024;
// How long the burst may make no progress before the server is taken to have stopped reading.
constexpr int kStalledSendMs = 2000;

qint64 residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpressionMatch match =
        QRegularExpression(R"(VmRSS:\s+(\d+) kB)").match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// Sends as much of `bytes` as the server takes, until it stops reading; returns the bytes sent.
qsizetype sendUntilStalled(int socket, const QByteArray& bytes)
{
    qsizetype sent = 0;
    pollfd writable{socket, POLLOUT, 0};
    while (sent < bytes.size() && ::poll(&writable, 1, kStalledSendMs) > 0) {
        const ssize_t wrote =
            ::send(socket, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_DONTWAIT);
        if (wrote < 0 && errno != EAGAIN)
            break;
        sent += std::max<ssize_t>(wrote, 0);
    }
    return sent;
}

// Seconds of processor the process has used so far (user and system).
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    constexpr int kUtime = 11;
    constexpr int kStime = 12;
    return double(fields.value(kUtime).toLongLong() + fields.value(kStime).toLongLong()) /
           double(::sysconf(_SC_CLK_TCK));
}

} // namespace

class TestConnectionLoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void idleAndTricklingClientsDoNotStopTheOthers();
    void clientNotReadingItsAnswersIsHeldBack();
    void outOfDescriptorsPausesAcceptingAndRecovers();
    void listenBacklogIsTheSystemsOwn();
    void cleanupTestCase();

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
    // Under AddressSanitizer freed memory waits in a quarantine (256 MB) that counts as resident:
    // kept small, the server's resident memory is its own.
    const QString sanitizer =
        "ASAN_OPTIONS=" + qEnvironmentVariable("ASAN_OPTIONS") + ":quarantine_size_mb=16";
    QVERIFY2(m_server.start({"--config", ini, "--port", "0", "--database", url}, {sanitizer}),
             qPrintable(m_server.log()));
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
}

void TestConnectionLoad::clientNotReadingItsAnswersIsHeldBack()
{
    TNetConnection client;
    client.setServerName(Zve41300::kServerName);
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(m_server.port());
    const NutriCardServer calls(&client);
    commandCycle(calls); // the server's memory settles with a prepared report behind it
    const qint64 before = residentKb(m_server.pid());
    QVERIFY(before > 0);

    const int greedy = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_server.port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(greedy, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    const qsizetype sent = sendUntilStalled(greedy, QByteArray("1\n").repeated(kBurstBytes / 2));
    QVERIFY(sent > 0);

    // The others are served while the greedy client's answers stay unread.
    commandCycle(calls);
    const qint64 grown = residentKb(m_server.pid()) - before;
    ::close(greedy);
    QVERIFY2(grown < kMemoryGrowthBoundKb,
             qPrintable(QStringLiteral("grew by %1 kB after %2 bytes of requests").arg(grown).arg(sent)));
}

void TestConnectionLoad::outOfDescriptorsPausesAcceptingAndRecovers()
{
    // Few enough descriptors that the clients below take the last of them.
    constexpr int kDescriptorLimit = 64;
    constexpr int kClients = 100;
    constexpr int kWatchMs = 2000;
    // A spinning accept loop takes the whole of a core; a paused one next to nothing.
    constexpr double kMostCpuShare = 0.5;
    KavServerProcess server;
    server.setDescriptorLimit(kDescriptorLimit);
    QVERIFY2(server.start({"--port", "0", "--database", "sqlite://" + m_dir.filePath("load.db")}),
             qPrintable(server.log()));
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(clients.back()->waitForConnected(kWaitMs)); // the kernel's backlog takes it
    }
    QTRY_VERIFY_WITH_TIMEOUT(server.log().contains("cannot accept connections"), kWaitMs);
    const double before = cpuSeconds(server.pid());
    QTest::qWait(kWatchMs);
    const double used = cpuSeconds(server.pid()) - before;
    QVERIFY2(used < kMostCpuShare * kWatchMs / 1000.0, qPrintable(QStringLiteral("%1 s of CPU").arg(used)));
    QCOMPARE(server.log().count("cannot accept connections"), 1);

    clients.clear();
    TNetConnection client;
    client.setServerName(Zve41300::kServerName);
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(server.port());
    QVERIFY(
        !NutriCardServer(&client).GetServico(kCentral, kMenuType).value<Kav::DataPacket>().rows.isEmpty());
    QVERIFY2(server.log().contains("accepting connections again"), qPrintable(server.log()));
    QCOMPARE(server.terminate(), 0);
}

void TestConnectionLoad::listenBacklogIsTheSystemsOwn()
{
    QFile cap("/proc/sys/net/core/somaxconn");
    QVERIFY(cap.open(QIODevice::ReadOnly));
    const QByteArray systemBacklog = cap.readAll().trimmed();
    // For a listening socket, ss shows its backlog in the Send-Q column.
    QProcess ss;
    ss.start("ss", {"-Hltn", QStringLiteral("sport = :%1").arg(m_server.port())});
    QVERIFY(ss.waitForFinished(kWaitMs));
    const QList<QByteArray> columns = ss.readAllStandardOutput().simplified().split(' ');
    QVERIFY2(columns.size() > 2, columns.join(' ').constData());
    QCOMPARE(columns.at(2), systemBacklog);
}

void TestConnectionLoad::cleanupTestCase()
{
    QCOMPARE(m_server.terminate(), 0);
}

QTEST_MAIN(TestConnectionLoad)
#include "tst_connectionload.moc"
