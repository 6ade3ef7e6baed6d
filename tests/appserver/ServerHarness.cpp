#include "ServerHarness.h"

#include "DatabaseConnection.h"
#include "KavException.h"
#include "RdmNutriCard.h"

#include <QSignalSpy>
#include <QTest>

using namespace KavServer;
using namespace KavServer::Zve41300;

namespace {

constexpr int kStopTimeoutMs = 30000;

} // namespace

ServerHarness::ServerHarness(ScratchDatabase::Engine engine, const QString& tag)
    : m_scratch(engine, tag),
      m_connectionName(QStringLiteral("harness-") + ScratchDatabase::engineName(engine)),
      m_client(std::make_unique<TNetConnection>())
{
    m_client->setServerName(Zve41300::kServerName);
    m_client->setHost(QStringLiteral("127.0.0.1"));
    if (!isAvailable())
        return;
    MenuFixture::install(Kav::DatabaseConnection::open(m_scratch.url(), m_connectionName,
                                                       Kav::DatabaseConnection::OpenMode::CreateIfMissing));
}

ServerHarness::~ServerHarness()
{
    m_client.reset();
    if (m_runtime)
        stopServer();
    Kav::DatabaseConnection::close(m_connectionName);
}

QSqlDatabase ServerHarness::db() const
{
    return QSqlDatabase::database(m_connectionName);
}

void ServerHarness::startServer(quint16 port, const ServerConfig& base,
                                const QList<std::shared_ptr<const RemoteDataModule>>& extraModules)
{
    ServerConfig config = base;
    config.port = port;
    config.databaseUrl = m_scratch.url();
    ModuleRegistry modules;
    modules.add(Zve41300::makeRdmNutriCard());
    for (const auto& module : extraModules)
        modules.add(module);
    m_runtime = std::make_unique<ServerRuntime>(config, modules, QList<RemoteMethod>());
    m_runtime->start();
    m_port = m_runtime->port();
    m_client->setPort(m_port);
}

void ServerHarness::stopServer()
{
    QSignalSpy stopped(m_runtime.get(), &ServerRuntime::stopped);
    m_runtime->stop();
    if (stopped.isEmpty() && !stopped.wait(kStopTimeoutMs))
        throw Kav::Exception(QStringLiteral("the server did not stop"));
    m_runtime.reset();
}
