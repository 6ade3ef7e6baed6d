#include "ServerRuntime.h"

#include "KavException.h"
#include "RpcLineBuffer.h"

namespace KavServer {

namespace {

constexpr int kMsPerSecond = 1000;
constexpr int kMsPerMinute = 60 * kMsPerSecond;

} // namespace

ServerRuntime::ServerRuntime(const ServerConfig& config, ModuleRegistry modules,
                             QList<RemoteMethod> housekeeping, QObject* parent)
    : QObject(parent), m_config(config), m_modules(std::move(modules)),
      m_housekeeping(std::move(housekeeping)), m_dispatcher(m_modules, config.databaseUrl, config.threads),
      m_server(m_dispatcher, config.lineCap > 0 ? config.lineCap : Kav::Rpc::kDefaultLineCap,
               config.idleTimeoutSeconds * kMsPerSecond, ServerSecurity::fromConfig(config))
{
    m_server.setMaxConnections(config.maxConnections);
    connect(&m_server, &RpcServer::stopped, this, [this] {
        m_dispatcher.waitForWorkers();
        m_stopped = true;
        emit stopped();
    });
    m_housekeepingTimer.setInterval(config.expiryIntervalMinutes * kMsPerMinute);
    connect(&m_housekeepingTimer, &QTimer::timeout, this, &ServerRuntime::runHousekeeping);
}

void ServerRuntime::start()
{
    if (!m_server.listen(m_config.listen, m_config.port))
        throw Kav::Exception(QStringLiteral("kavserver: cannot listen on %1:%2: %3")
                                 .arg(m_config.listen.toString())
                                 .arg(m_config.port)
                                 .arg(m_server.errorString()));
    runHousekeeping();
    m_housekeepingTimer.start();
}

void ServerRuntime::stop()
{
    if (m_stopped) {
        QMetaObject::invokeMethod(this, &ServerRuntime::stopped, Qt::QueuedConnection);
        return;
    }
    m_housekeepingTimer.stop();
    m_server.stop(m_config.drainSeconds * kMsPerSecond);
}

void ServerRuntime::runHousekeeping()
{
    for (const RemoteMethod& task : std::as_const(m_housekeeping))
        m_dispatcher.runTask(task.name, task);
}

} // namespace KavServer
