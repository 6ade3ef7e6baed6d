// The listener's protection: off loopback the server refuses to start without TLS and an access
// token; with them, a client must trust the server's certificate and present the right token
// before any method runs. Plain TCP to a TLS listener, a wrong or missing token and a call made
// before the token are all refused, and the token never reaches the log.

#include "DataPacket.h"
#include "KavException.h"
#include "KavServerProcess.h"
#include "MenuFixture.h"
#include "NutriCardServer.h"
#include "RdmNutriCard.h"
#include "RemoteDataModule.h"
#include "RpcError.h"
#include "ServerHarness.h"

#include <atomic>
#include <QProcess>
#include <QSettings>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTest>

using namespace KavServer;
using namespace KavServer::Zve41300;

using namespace MenuFixture;

namespace {

const QString kToken = QStringLiteral("s3cr3t-T0ken-for-tests");
const QString kCounterObject = QStringLiteral("Test.rdmCounter");
constexpr int kWaitMs = 30000;

std::atomic_int methodRuns{0};

// A method that only counts that it ran.
std::shared_ptr<const RemoteDataModule> counterModule()
{
    auto module = std::make_shared<RemoteDataModule>(kCounterObject);
    module->addMethod({QStringLiteral("Count"), {}, RemoteMethod::Transaction::Read, [](CallContext&) {
                           return QVariant(++methodRuns);
                       }});
    return module;
}

// A self-signed certificate for 127.0.0.1 and its key, made with the openssl tool.
bool makeCertificate(const QString& dir, const QString& name)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "3650", "-subj", "/CN=127.0.0.1",
                   "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost", "-keyout",
                   dir + "/" + name + ".key", "-out", dir + "/" + name + ".pem"});
    return openssl.waitForFinished(kWaitMs) && openssl.exitStatus() == QProcess::NormalExit &&
           openssl.exitCode() == 0;
}

// Sends one line and returns the first line answered, or nothing when the connection closes.
QByteArray firstAnswer(QTcpSocket& socket, const QByteArray& line)
{
    socket.write(line);
    if (!QTest::qWaitFor(
            [&] { return socket.canReadLine() || socket.state() == QAbstractSocket::UnconnectedState; },
            kWaitMs))
        return "timeout";
    return socket.canReadLine() ? socket.readLine() : QByteArray();
}

const QByteArray kCountCall = R"({"jsonrpc":"2.0","id":1,"method":"Test.rdmCounter.Count","params":[]})"
                              "\n";

} // namespace

class TestSecureServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void offLoopbackNeedsTlsAndAToken_data();
    void offLoopbackNeedsTlsAndAToken();
    void trustedServerAndRightTokenServe();
    void wrongOrMissingTokenIsRefusedBeforeAnyMethod_data();
    void wrongOrMissingTokenIsRefusedBeforeAnyMethod();
    void callBeforeTheTokenIsRefused();
    void plainTcpToTheTlsListenerIsRefused();
    void clientRefusesAServerItDoesNotTrust();
    void tokenNeverReachesTheLog();
    void tlsKeepsAcceptingPastUnfinishedHandshakes_data();
    void tlsKeepsAcceptingPastUnfinishedHandshakes();
    void silentConnectionIsDroppedAfterTheHandshakeTimeout();
    void pendingHandshakesCountAgainstTheCap_data();
    void pendingHandshakesCountAgainstTheCap();
    void kavcallReachesASecuredServer_data();
    void kavcallReachesASecuredServer();

private:
    ServerConfig secured() const;
    void pointClient(TNetConnection& client, const QString& token, const QString& certificate) const;

    QTemporaryDir m_dir;
    std::unique_ptr<ServerHarness> m_harness;
};

void TestSecureServer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(makeCertificate(m_dir.path(), "server") && makeCertificate(m_dir.path(), "stranger"),
             "the openssl tool is needed to make the test certificates");
    m_harness = std::make_unique<ServerHarness>(ScratchDatabase::Engine::SQLite, QStringLiteral("secure"));
    QVERIFY(m_harness->isAvailable());
    m_harness->startServer(0, secured(), {counterModule()});
}

ServerConfig TestSecureServer::secured() const
{
    ServerConfig config;
    config.certificateFile = m_dir.filePath("server.pem");
    config.privateKeyFile = m_dir.filePath("server.key");
    config.accessToken = kToken;
    return config;
}

void TestSecureServer::pointClient(TNetConnection& client, const QString& token,
                                   const QString& certificate) const
{
    client.setServerName(Zve41300::kServerName);
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(m_harness->port());
    client.setAccessToken(token);
    client.setTrustedCertificate(certificate);
}

void TestSecureServer::offLoopbackNeedsTlsAndAToken_data()
{
    QTest::addColumn<bool>("tls");
    QTest::addColumn<bool>("token");
    QTest::addColumn<bool>("starts");
    QTest::newRow("neither") << false << false << false;
    QTest::newRow("TLS without a token") << true << false << false;
    QTest::newRow("token without TLS") << false << true << false;
    QTest::newRow("both") << true << true << true;
}

void TestSecureServer::offLoopbackNeedsTlsAndAToken()
{
    QFETCH(bool, tls);
    QFETCH(bool, token);
    QFETCH(bool, starts);
    ServerConfig config = secured();
    config.listen = QHostAddress(QHostAddress::AnyIPv4);
    config.port = 0;
    config.databaseUrl = m_harness->url();
    if (!tls)
        config.certificateFile = config.privateKeyFile = QString();
    if (!token)
        config.accessToken.clear();
    try {
        ServerRuntime runtime(config, ModuleRegistry(), {});
        runtime.start();
        QVERIFY2(starts, "an unprotected listener off loopback started");
        QVERIFY(runtime.port() > 0);
    } catch (const Kav::Exception& error) {
        QVERIFY2(!starts, qPrintable(error.message()));
        QVERIFY2(error.message().contains("needs TLS and an access token"), qPrintable(error.message()));
        QVERIFY(!error.message().contains(kToken));
    }
}

void TestSecureServer::trustedServerAndRightTokenServe()
{
    TNetConnection client;
    pointClient(client, kToken, m_dir.filePath("server.pem"));
    const QVariant services = NutriCardServer(&client).GetServico(kCentral, kMenuType);
    QVERIFY(!services.value<Kav::DataPacket>().rows.isEmpty());
}

void TestSecureServer::wrongOrMissingTokenIsRefusedBeforeAnyMethod_data()
{
    QTest::addColumn<QString>("token");
    QTest::newRow("missing") << QString();
    QTest::newRow("wrong") << QStringLiteral("s3cr3t-T0ken-for-test");
    QTest::newRow("longer") << kToken + QLatin1Char('x');
}

void TestSecureServer::wrongOrMissingTokenIsRefusedBeforeAnyMethod()
{
    QFETCH(QString, token);
    const int runsBefore = methodRuns;
    TNetConnection client;
    pointClient(client, token, m_dir.filePath("server.pem"));
    client.setServerName(kCounterObject);
    QVERIFY_THROWS_EXCEPTION(Kav::Exception, client.AppServer().call(QStringLiteral("Count")));
    QVERIFY(!client.LastError().isEmpty());
    QVERIFY(!client.LastError().contains(kToken));
    QCOMPARE(methodRuns.load(), runsBefore);
}

void TestSecureServer::callBeforeTheTokenIsRefused()
{
    const int runsBefore = methodRuns;
    QSslSocket socket;
    QSslConfiguration tls = socket.sslConfiguration();
    tls.setCaCertificates(QSslCertificate::fromPath(m_dir.filePath("server.pem")));
    socket.setSslConfiguration(tls);
    socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), m_harness->port());
    QVERIFY(QTest::qWaitFor([&] { return socket.isEncrypted(); }, kWaitMs));
    const QByteArray answer = firstAnswer(socket, kCountCall);
    QVERIFY2(answer.contains(QByteArray::number(Kav::Rpc::Unauthorized)), answer.constData());
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, kWaitMs);
    QCOMPARE(methodRuns.load(), runsBefore);
}

void TestSecureServer::plainTcpToTheTlsListenerIsRefused()
{
    const int runsBefore = methodRuns;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_harness->port());
    QVERIFY(QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, kWaitMs));
    const QByteArray answer =
        firstAnswer(socket, "{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"rpc.auth\",\"params\":[\"" +
                                kToken.toUtf8() + "\"]}\n" + kCountCall);
    QVERIFY2(!answer.startsWith('{'), answer.constData());
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, kWaitMs);
    QCOMPARE(methodRuns.load(), runsBefore);
}

void TestSecureServer::clientRefusesAServerItDoesNotTrust()
{
    TNetConnection client;
    pointClient(client, kToken, m_dir.filePath("stranger.pem"));
    client.setThrowException(false);
    client.setConnected(true);
    QVERIFY(!client.Connected());
    QVERIFY2(client.LastError().contains("Não foi possível conectar"), qPrintable(client.LastError()));
}

void TestSecureServer::tokenNeverReachesTheLog()
{
    const QString ini = m_dir.filePath("kavserver.ini");
    {
        QFile tokenFile(m_dir.filePath("token"));
        QVERIFY(tokenFile.open(QIODevice::WriteOnly));
        tokenFile.write(kToken.toUtf8() + "\n");
        QSettings settings(ini, QSettings::IniFormat);
        settings.setValue("Server/Certificate", "server.pem");
        settings.setValue("Server/PrivateKey", "server.key");
        settings.setValue("Server/AccessTokenFile", "token");
    }
    KavServerProcess server;
    QVERIFY2(server.start({"--config", ini, "--port", "0", "--database", m_harness->url()}),
             qPrintable(server.log()));
    TNetConnection good;
    pointClient(good, kToken, m_dir.filePath("server.pem"));
    good.setPort(server.port());
    QVERIFY(!NutriCardServer(&good).GetServico(kCentral, kMenuType).value<Kav::DataPacket>().rows.isEmpty());
    TNetConnection bad;
    pointClient(bad, kToken + QStringLiteral("-guess"), m_dir.filePath("server.pem"));
    bad.setPort(server.port());
    QVERIFY_THROWS_EXCEPTION(Kav::Exception, NutriCardServer(&bad).GetServico(kCentral, kMenuType));
    QCOMPARE(server.terminate(), 0);
    const QString log = server.log();
    QVERIFY2(log.contains("rpc.auth") && log.contains("refused"), qPrintable(log));
    QVERIFY2(!log.contains(kToken), qPrintable(log));
}

void TestSecureServer::tlsKeepsAcceptingPastUnfinishedHandshakes_data()
{
    // Connections that never start a handshake (port scans, TCP health checks, clients timing
    // out), all open at once or one after another; more than a listener's queue of pending
    // connections holds.
    QTest::addColumn<int>("held");
    QTest::addColumn<int>("probes");
    QTest::addRow("40 held open") << 40 << 0;
    QTest::addRow("150 connect-and-close probes") << 0 << 150;
    QTest::addRow("both") << 31 << 60;
}

void TestSecureServer::tlsKeepsAcceptingPastUnfinishedHandshakes()
{
    QFETCH(int, held);
    QFETCH(int, probes);
    std::vector<std::unique_ptr<QTcpSocket>> silent;
    for (int i = 0; i < held; ++i) {
        silent.push_back(std::make_unique<QTcpSocket>());
        silent.back()->connectToHost(QHostAddress::LocalHost, m_harness->port());
        QVERIFY(silent.back()->waitForConnected(kWaitMs));
    }
    for (int i = 0; i < probes; ++i) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_harness->port());
        QVERIFY(probe.waitForConnected(kWaitMs));
        probe.abort();
    }
    // While the silent ones are still open, a real client is served.
    TNetConnection client;
    pointClient(client, kToken, m_dir.filePath("server.pem"));
    QVERIFY(
        !NutriCardServer(&client).GetServico(kCentral, kMenuType).value<Kav::DataPacket>().rows.isEmpty());
}

void TestSecureServer::silentConnectionIsDroppedAfterTheHandshakeTimeout()
{
    QTcpSocket silent;
    silent.connectToHost(QHostAddress::LocalHost, m_harness->port());
    QVERIFY(silent.waitForConnected(kWaitMs));
    // Bounded by the handshake's own timeout (a few seconds), well within the wait.
    QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QAbstractSocket::UnconnectedState, kWaitMs);
}

void TestSecureServer::pendingHandshakesCountAgainstTheCap_data()
{
    // Connections that have not finished their handshake, against a cap of three: the next
    // client is served while one place is left, and refused with the cap's own answer once they
    // fill it.
    QTest::addColumn<int>("silent");
    QTest::addColumn<bool>("served");
    QTest::addRow("two pending, one place left") << 2 << true;
    QTest::addRow("three pending fill the cap") << 3 << false;
    QTest::addRow("five pending, past the cap") << 5 << false;
}

void TestSecureServer::pendingHandshakesCountAgainstTheCap()
{
    QFETCH(int, silent);
    QFETCH(bool, served);
    constexpr int kCap = 3;
    ServerConfig capped = secured();
    capped.maxConnections = kCap;
    m_harness->startServer(0, capped, {counterModule()});
    std::vector<std::unique_ptr<QTcpSocket>> pending;
    for (int i = 0; i < silent; ++i) {
        pending.push_back(std::make_unique<QTcpSocket>());
        pending.back()->connectToHost(QHostAddress::LocalHost, m_harness->port());
        QVERIFY(pending.back()->waitForConnected(kWaitMs));
    }
    QSslSocket socket;
    QSslConfiguration tls = socket.sslConfiguration();
    tls.setCaCertificates(QSslCertificate::fromPath(m_dir.filePath("server.pem")));
    socket.setSslConfiguration(tls);
    socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), m_harness->port());
    QVERIFY(QTest::qWaitFor([&] { return socket.isEncrypted(); }, kWaitMs));
    const QByteArray answer =
        firstAnswer(socket, "{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"rpc.auth\",\"params\":[\"" +
                                kToken.toUtf8() + "\"]}\n");
    const bool busy = answer.contains(QByteArray::number(Kav::Rpc::ServerBusy));
    QVERIFY2(busy != served, answer.constData());
    QVERIFY2(served ? answer.contains("result") : answer.contains("3 connections"), answer.constData());
    // The silent ones gone, a client is served again.
    pending.clear();
    TNetConnection client;
    pointClient(client, kToken, m_dir.filePath("server.pem"));
    client.setServerName(kCounterObject);
    const auto answered = [&] {
        try {
            return client.AppServer().call(QStringLiteral("Count")).toInt() > 0;
        } catch (const Kav::Exception&) {
            return false; // the server has not yet seen the silent ones go
        }
    };
    QVERIFY(QTest::qWaitFor(answered, kWaitMs));
    m_harness->startServer(0, secured(), {counterModule()});
}

void TestSecureServer::kavcallReachesASecuredServer_data()
{
    // How the operator gives the certificate and the token; what is missing is named.
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");
    const QString certificate = m_dir.filePath("server.pem");
    const QString tokenFile = m_dir.filePath("kavcall-token");
    QTest::addRow("neither") << QStringList() << QStringList() << 1 << "--certificate FILE";
    QTest::addRow("certificate without token")
        << QStringList{"--certificate", certificate} << QStringList() << 1 << "--token-file FILE";
    QTest::addRow("options") << QStringList{"--certificate", certificate, "--token-file", tokenFile}
                             << QStringList() << 0 << "packet";
    QTest::addRow("environment") << QStringList()
                                 << QStringList{"KAV_SERVER_CERTIFICATE=" + certificate,
                                                "KAV_SERVER_TOKEN=" + kToken}
                                 << 0 << "packet";
    QTest::addRow("unreadable token file")
        << QStringList{"--certificate", certificate, "--token-file", tokenFile + "-not-there"}
        << QStringList() << 2 << "kavcall-token-not-there";
}

void TestSecureServer::kavcallReachesASecuredServer()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, environment);
    QFETCH(int, status);
    QFETCH(QString, said);
    {
        QFile tokenFile(m_dir.filePath("kavcall-token"));
        QVERIFY(tokenFile.open(QIODevice::WriteOnly));
        tokenFile.write(kToken.toUtf8() + "\n");
    }
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove("KAV_SERVER_TOKEN");
    variables.remove("KAV_SERVER_CERTIFICATE");
    variables.insert("KAV_SERVER", QStringLiteral("127.0.0.1:%1").arg(m_harness->port()));
    for (const QString& variable : environment)
        variables.insert(variable.section('=', 0, 0), variable.section('=', 1));
    QProcess kavcall;
    kavcall.setProcessEnvironment(variables);
    kavcall.start(
        KavServerProcess::binary("kavcall"),
        options + QStringList{"--timeout", "20", Zve41300::kServerName, "GetServico", kCentral, kMenuType});
    // The server runs in this process: its event loop must turn while kavcall waits.
    QTRY_VERIFY_WITH_TIMEOUT(kavcall.state() == QProcess::NotRunning, kWaitMs);
    const QString output =
        QString::fromUtf8(kavcall.readAllStandardOutput() + kavcall.readAllStandardError());
    QCOMPARE(kavcall.exitCode(), status);
    QVERIFY2(output.contains(said), qPrintable(output));
    QVERIFY2(!output.contains(kToken), qPrintable(output));
}

QTEST_MAIN(TestSecureServer)
#include "tst_secureserver.moc"
