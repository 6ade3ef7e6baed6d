#pragma once
// A running application server: its modules, the dispatcher with its worker threads, the
// listener, and the housekeeping tasks run at start and then periodically.

#include "CallDispatcher.h"
#include "ModuleRegistry.h"
#include "RemoteMethod.h"
#include "RpcServer.h"
#include "ServerConfig.h"

#include <QObject>
#include <QTimer>

namespace KavServer {

class ServerRuntime : public QObject
{
    Q_OBJECT
public:
    // Throws Kav::Exception for a database URL that does not parse, and for a listener off
    // loopback without TLS and an access token (or with unreadable certificate files).
    ServerRuntime(const ServerConfig& config, ModuleRegistry modules, QList<RemoteMethod> housekeeping,
                  QObject* parent = nullptr);

    // Listens and runs the housekeeping once. Throws Kav::Exception when it cannot listen.
    void start();
    quint16 port() const { return m_server.port(); }
    // Finishes the calls in flight, closes every connection, then emits stopped(); on a server
    // already stopped, emits it again.
    void stop();

    RpcServer& server() { return m_server; }
    CallDispatcher& dispatcher() { return m_dispatcher; }

signals:
    void stopped();

private:
    void runHousekeeping();

    ServerConfig m_config;
    ModuleRegistry m_modules;
    QList<RemoteMethod> m_housekeeping;
    CallDispatcher m_dispatcher;
    RpcServer m_server;
    QTimer m_housekeepingTimer;
    bool m_stopped = false;
};

} // namespace KavServer
