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

QTEST_MAIN(TestSecureServer)
#include "tst_secureserver.moc"
