#pragma once
// A real application server inside the test process, on a loopback port, over a scratch
// database of one engine filled with the hand-worked fixture, and a client connection to it.

#include "MenuFixture.h"
#include "ScratchDatabase.h"
#include "ServerRuntime.h"
#include "TNetConnection.h"

#include <memory>
#include <QSqlDatabase>

class ServerHarness
{
public:
    // The fixture is installed when the scratch database is available; check isAvailable().
    ServerHarness(ScratchDatabase::Engine engine, const QString& tag);
    ~ServerHarness();

    bool isAvailable() const { return m_scratch.isAvailable(); }
    const ScratchDatabase& scratch() const { return m_scratch; }
    QString url() const { return m_scratch.url(); }
    // A connection of the test's own thread, for checking what the server stored.
    QSqlDatabase db() const;

    // Starts the server (again) on `port` (0: any free one) with rdmNutriCard and `extraModules`;
    // the client is pointed at it.
    void startServer(quint16 port = 0, const KavServer::ServerConfig& base = KavServer::ServerConfig(),
                     const QList<std::shared_ptr<const KavServer::RemoteDataModule>>& extraModules = {});
    // Stops it, letting the calls in flight finish; the client's connection drops.
    void stopServer();
    KavServer::ServerRuntime& runtime() { return *m_runtime; }
    quint16 port() const { return m_port; }

    TNetConnection& client() { return *m_client; }

private:
    ScratchDatabase m_scratch;
    QString m_connectionName;
    std::unique_ptr<KavServer::ServerRuntime> m_runtime;
    std::unique_ptr<TNetConnection> m_client;
    quint16 m_port = 0;
};
