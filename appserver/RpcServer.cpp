#include "RpcServer.h"

#include "AccessGate.h"
#include "CallDispatcher.h"
#include "RpcConnection.h"
#include "TcpClientStream.h"
#include "TlsClientStream.h"

#include <functional>
#include <QSslServer>
#include <QSslSocket>
#include <unistd.h>

namespace {

// After the last answer, how long closing connections may take to send what is pending.
constexpr int kCloseGraceMs = 2000;

// Hands each accepted plain TCP connection on as its bare descriptor, for a TcpClientStream.
class DescriptorListener : public QTcpServer
{
public:
    explicit DescriptorListener(std::function<void(qintptr)> accept) : m_accept(std::move(accept)) {}

protected:
    void incomingConnection(qintptr descriptor) override { m_accept(descriptor); }

private:
    std::function<void(qintptr)> m_accept;
};

} // namespace

RpcServer::RpcServer(CallDispatcher& dispatcher, qsizetype lineCap, int idleTimeoutMs,
                     ServerSecurity security, QObject* parent)
    : QObject(parent), m_dispatcher(dispatcher), m_lineCap(lineCap), m_idleTimeoutMs(idleTimeoutMs),
      m_security(std::move(security))
{
    if (m_security.usesTls()) {
        // A client that cannot finish the handshake (plain TCP, a wrong protocol) is dropped by
        // the listener itself and never becomes a connection.
        auto tls = std::make_unique<QSslServer>();
        tls->setSslConfiguration(m_security.tls());
        tls->setHandshakeTimeout(idleTimeoutMs);
        // Emitted for a TLS client only once its handshake is done.
        connect(tls.get(), &QTcpServer::pendingConnectionAvailable, this, &RpcServer::acceptTls);
        m_listener = std::move(tls);
    } else {
        m_listener =
            std::make_unique<DescriptorListener>([this](qintptr descriptor) { acceptPlain(descriptor); });
    }
    m_drainTimer.setSingleShot(true);
    connect(&m_drainTimer, &QTimer::timeout, this, &RpcServer::closeAll);
    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(kCloseGraceMs);
    connect(&m_closeTimer, &QTimer::timeout, this, &RpcServer::stopped);
}

RpcServer::~RpcServer() = default;

bool RpcServer::listen(const QHostAddress& address, quint16 port)
{
    return m_listener->listen(address, port);
}

void RpcServer::acceptTls()
{
    while (QTcpSocket* socket = m_listener->nextPendingConnection()) {
        if (m_stopping) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        receive(new TlsClientStream(static_cast<QSslSocket*>(socket), m_lineCap + 1));
    }
}

void RpcServer::acceptPlain(qintptr descriptor)
{
    if (m_stopping) {
        ::close(int(descriptor));
        return;
    }
    // One byte past the cap is read, so an over-long first line is seen as such.
    receive(new TcpClientStream(descriptor, m_lineCap + 1));
}

void RpcServer::receive(ClientStream* stream)
{
    if (!m_security.requiresToken()) {
        serve(stream);
        return;
    }
    auto* gate = new AccessGate(stream, m_security, m_lineCap, m_idleTimeoutMs, this);
    m_gates.append(gate);
    connect(gate, &AccessGate::finished, this, &RpcServer::admit);
}

void RpcServer::admit(AccessGate* gate, ClientStream* stream)
{
    m_gates.removeOne(gate);
    gate->deleteLater();
    if (!stream)
        return;
    if (m_stopping) {
        stream->abortNow();
        stream->deleteLater();
        return;
    }
    serve(stream);
}

void RpcServer::serve(ClientStream* stream)
{
    auto* connection = new RpcConnection(stream, m_dispatcher, m_lineCap, m_idleTimeoutMs, this);
    m_connections.append(connection);
    connect(connection, &RpcConnection::closed, this, &RpcServer::forget);
}

void RpcServer::forget(RpcConnection* connection)
{
    m_connections.removeOne(connection);
    connection->deleteLater();
    if (m_closing && m_connections.isEmpty()) {
        m_closeTimer.stop();
        emit stopped();
    }
}

void RpcServer::stop(int drainMs)
{
    if (m_stopping)
        return;
    m_stopping = true;
    m_listener->close();
    for (AccessGate* gate : QList<AccessGate*>(m_gates))
        gate->close();
    for (RpcConnection* connection : std::as_const(m_connections))
        connection->stopAccepting();
    if (m_dispatcher.callsInFlight() == 0) {
        closeAll();
        return;
    }
    connect(&m_dispatcher, &CallDispatcher::idle, this, &RpcServer::closeAll);
    m_drainTimer.start(drainMs);
}

void RpcServer::closeAll()
{
    if (m_closing)
        return;
    m_closing = true;
    m_drainTimer.stop();
    if (m_connections.isEmpty()) {
        // Queued, so a caller that connects to stopped() right after stop() still hears it.
        QMetaObject::invokeMethod(this, &RpcServer::stopped, Qt::QueuedConnection);
        return;
    }
    m_closeTimer.start();
    const QList<RpcConnection*> open = m_connections;
    for (RpcConnection* connection : open)
        connection->close();
}
