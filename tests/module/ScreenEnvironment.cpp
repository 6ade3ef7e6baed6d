#include "ScreenEnvironment.h"

#include "DatabaseConnection.h"
#include "DemoDatabase.h"
#include "dtmDBGeral.h"
#include "Kavenso.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {
constexpr int kServerStartMs = 15000;
constexpr int kServerStopMs = 5000;
constexpr int kReadStepMs = 100;
const QString kLoopback = QStringLiteral("127.0.0.1");

QString binary(const QString& name)
{
    return QStringLiteral(KAV_BINARY_DIR "/bin/") + name;
}
} // namespace

ScreenEnvironment::ScreenEnvironment() = default;

ScreenEnvironment::~ScreenEnvironment()
{
    m_proxy.reset();
    if (!stopServer())
        m_server.kill();
    m_server.waitForFinished();
}

bool ScreenEnvironment::stopServer()
{
    if (m_server.state() == QProcess::NotRunning)
        return true;
    m_server.terminate();
    return m_server.waitForFinished(kServerStopMs);
}

QString ScreenEnvironment::restartServer()
{
    const quint16 port = m_serverPort;
    if (!stopServer())
        return QStringLiteral("kavserver did not stop on SIGTERM");
    return startServer(port);
}

bool ScreenEnvironment::inCi()
{
    return qgetenv("CI") == "true";
}

QString ScreenEnvironment::start(bool withServer, const QStringList& statements)
{
    const QString server = QStringLiteral("kavserver");
    if (withServer && !QFileInfo::exists(binary(server)))
        return QStringLiteral("%1 is not built yet").arg(server);
    m_databaseUrl = QStringLiteral("sqlite://") + m_dir.filePath(QStringLiteral("demo.db"));
    if (const QString failure = DemoDatabase::make(m_databaseUrl); !failure.isEmpty())
        return failure;
    if (const QString failure = addRows(statements); !failure.isEmpty())
        return failure;
    return withServer ? startServer() : QString();
}

QString ScreenEnvironment::addRows(const QStringList& statements)
{
    const QString writer = QStringLiteral("test-rows");
    QString failure;
    {
        QSqlQuery query(Kav::DatabaseConnection::open(m_databaseUrl, writer));
        for (const QString& statement : statements) {
            if (!query.exec(statement)) {
                failure = QStringLiteral("%1: %2").arg(statement, query.lastError().text());
                break;
            }
        }
    }
    Kav::DatabaseConnection::close(writer);
    return failure;
}

QString ScreenEnvironment::startServer(quint16 wantedPort)
{
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.start(
        binary(QStringLiteral("kavserver")),
        {QStringLiteral("--database"), m_databaseUrl, QStringLiteral("--port"), QString::number(wantedPort)});
    static const QRegularExpression listening(QStringLiteral("listening on [^ ]*:([0-9]+)"));
    QString log;
    quint16 port = 0;
    QDeadlineTimer deadline(kServerStartMs);
    while (port == 0 && !deadline.hasExpired() && m_server.state() != QProcess::NotRunning) {
        m_server.waitForReadyRead(kReadStepMs);
        log += QString::fromUtf8(m_server.readAll());
        if (const auto match = listening.match(log); match.hasMatch())
            port = quint16(match.captured(1).toUInt());
    }
    if (port == 0)
        return QStringLiteral("kavserver did not start: ") + log;
    m_serverPort = port;
    if (m_proxy) // a restart: the proxy already leads to this port
        return {};
    m_proxy = std::make_unique<RecordingProxy>(port);
    if (!m_proxy->listen())
        return QStringLiteral("the proxy cannot listen on a loopback port");
    return {};
}

void ScreenEnvironment::logIn(const QString& filial)
{
    Kavenso::Session session;
    session.filial = filial;
    session.webUrl = kLoopback;
    session.webPort = m_proxy ? m_proxy->port() : 0;
    session.reportsDir = QStringLiteral(KAV_SOURCE_DIR "/reports");
    session.userReportsDir = m_dir.filePath(QStringLiteral("user-reports"));
    Kavenso::SetSession(session);
}

void ScreenEnvironment::openSharedConnection() const
{
    dtmDBGeral::open(m_databaseUrl);
}
