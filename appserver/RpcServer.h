#pragma once
// The listener: accepts clients (over TLS and past the access token when the security asks for
// them), keeps their connections, and stops cleanly, letting the calls in flight finish and
// their answers go out before the connections close.

#include "ServerSecurity.h"

#include <memory>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

class AccessGate;
class CallDispatcher;
class ClientStream;
class RpcConnection;

class RpcServer : public QObject
{
    Q_OBJECT
public:
    RpcServer(CallDispatcher& dispatcher, qsizetype lineCap, int idleTimeoutMs,
              ServerSecurity security = ServerSecurity(), QObject* parent = nullptr);
    ~RpcServer() override;

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return m_listener->serverPort(); }
    QString errorString() const { return m_listener->errorString(); }
    int connectionCount() const { return int(m_connections.size()); }

    // Stops listening and refuses new calls; once the calls in flight are answered (or after
    // `drainMs`), closes every connection and emits stopped().
    void stop(int drainMs);

signals:
    void stopped();

private:
    void acceptTls();
    void acceptPlain(qintptr descriptor);
    void receive(ClientStream* stream);
    void admit(AccessGate* gate, ClientStream* stream);
    void serve(ClientStream* stream);
    void closeAll();
    void forget(RpcConnection* connection);

    CallDispatcher& m_dispatcher;
    qsizetype m_lineCap;
    int m_idleTimeoutMs;
    ServerSecurity m_security;
    std::unique_ptr<QTcpServer> m_listener;
    QList<AccessGate*> m_gates;
    QList<RpcConnection*> m_connections;
    QTimer m_drainTimer;
    QTimer m_closeTimer;
    bool m_stopping = false;
    bool m_closing = false;
};
