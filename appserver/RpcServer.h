#pragma once
// The listener: accepts clients (over TLS and past the access token when the security asks for
// them), keeps their connections, refuses those past its cap with a clear answer, and stops
// cleanly, letting the calls in flight finish and their answers go out before the connections
// close.

#include "ServerMemory.h"
#include "ServerSecurity.h"
#include "StallWatch.h"

#include <memory>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>

class QSslSocket;

namespace KavServer {

class AccessGate;
class CallDispatcher;
class ClientStream;
class RpcConnection;
class SocketListener;
class TlsHandshake;

class RpcServer : public QObject
{
    Q_OBJECT
public:
    // Connections served at once when none is configured.
    static constexpr int kDefaultMaxConnections = 4096;
    // TLS handshakes run past the cap at once, only to tell their clients they are refused.
    static constexpr int kRefusalHandshakes = 16;

    RpcServer(CallDispatcher& dispatcher, qsizetype lineCap, int idleTimeoutMs,
              ServerSecurity security = ServerSecurity(), QObject* parent = nullptr);
    ~RpcServer() override;

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const;
    QString errorString() const;
    int connectionCount() const { return int(m_connections.size()); }
    // Clients served at once (in the TLS handshake, in the access gate or connected); one more is
    // refused (ServerBusy).
    void setMaxConnections(int count) { m_maxConnections = count; }

    // Stops listening and refuses new calls; once the calls in flight are answered (or after
    // `drainMs`), closes every connection and emits stopped().
    void stop(int drainMs);

signals:
    void stopped();

private:
    void accept(qintptr descriptor);
    void startHandshake(qintptr descriptor);
    void handshaken(TlsHandshake* handshake, QSslSocket* socket);
    bool isFull() const;
    void logBusy();
    void refuseBusy(ClientStream* stream);
    void receive(ClientStream* stream);
    void admit(AccessGate* gate, ClientStream* stream);
    void serve(ClientStream* stream);
    void closeAll();
    void forget(RpcConnection* connection);

    CallDispatcher& m_dispatcher;
    qsizetype m_lineCap;
    int m_idleTimeoutMs;
    ServerSecurity m_security;
    ServerMemory m_memory;
    StallWatch m_stallWatch;
    std::unique_ptr<SocketListener> m_listener;
    int m_maxConnections = kDefaultMaxConnections;
    QList<TlsHandshake*> m_handshakes;
    QList<TlsHandshake*> m_refusals;
    QList<AccessGate*> m_gates;
    QList<RpcConnection*> m_connections;
    QTimer m_drainTimer;
    QTimer m_closeTimer;
    bool m_stopping = false;
    bool m_closing = false;
    bool m_busyLogged = false;
};

} // namespace KavServer
