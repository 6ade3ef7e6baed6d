#include "RpcServer.h"

#include "AccessGate.h"
#include "CallDispatcher.h"
#include "CallLog.h"
#include "RpcConnection.h"
#include "RpcError.h"
#include "RpcResponse.h"
#include "SocketListener.h"
#include "TcpClientStream.h"
#include "TlsClientStream.h"
#include "TlsHandshake.h"

#include <QSslSocket>
#include <unistd.h>

namespace KavServer {

namespace {

// After the last answer, how long closing connections may take to send what is pending.
constexpr int kCloseGraceMs = 2000;

} // namespace

RpcServer::RpcServer(CallDispatcher& dispatcher, qsizetype lineCap, int idleTimeoutMs,
                     ServerSecurity security, QObject* parent)
    : QObject(parent), m_dispatcher(dispatcher), m_lineCap(lineCap), m_idleTimeoutMs(idleTimeoutMs),
      m_security(std::move(security)),
      m_listener(std::make_unique<SocketListener>([this](qintptr descriptor) { accept(descriptor); }))
{
    m_dispatcher.setStallWatch(&m_stallWatch);
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

quint16 RpcServer::port() const
{
    return m_listener->port();
}

QString RpcServer::errorString() const
{
    return m_listener->errorString();
}

void RpcServer::accept(qintptr descriptor)
{
    if (m_stopping) {
        ::close(int(descriptor));
        return;
    }
    if (m_security.usesTls()) {
        startHandshake(descriptor);
        return;
    }
    // One byte past the cap is read, so an over-long first line is seen as such.
    auto* stream = new TcpClientStream(descriptor, m_lineCap + 1);
    if (isFull())
        refuseBusy(stream);
    else
        receive(stream);
}

void RpcServer::startHandshake(qintptr descriptor)
{
    // A handshake holds a connection's memory from its first byte: it counts against the cap. Past
    // the cap, a few handshakes more are run only to tell their clients why they are refused;
    // beyond those, the connection is closed unanswered.
    const bool refused = isFull();
    if (refused && m_refusals.size() >= kRefusalHandshakes) {
        logBusy();
        ::close(int(descriptor));
        return;
    }
    // The handshake runs on the connection; the listener goes straight back to accepting.
    auto* handshake = new TlsHandshake(descriptor, m_security.tls(), this);
    (refused ? m_refusals : m_handshakes).append(handshake);
    connect(handshake, &TlsHandshake::finished, this, &RpcServer::handshaken);
}

void RpcServer::handshaken(TlsHandshake* handshake, QSslSocket* socket)
{
    const bool refused = m_refusals.removeOne(handshake);
    m_handshakes.removeOne(handshake);
    handshake->deleteLater();
    if (!socket)
        return;
    if (m_stopping) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    auto* stream = new TlsClientStream(socket, m_lineCap + 1);
    if (refused || isFull())
        refuseBusy(stream);
    else
        receive(stream);
}

bool RpcServer::isFull() const
{
    return m_connections.size() + m_gates.size() + m_handshakes.size() >= m_maxConnections;
}

void RpcServer::logBusy()
{
    if (!m_busyLogged)
        CallLog::write(QStringLiteral("kavserver: %1 connections open, the limit: refusing new clients "
                                      "(Server/MaxConnections)")
                           .arg(m_maxConnections));
    m_busyLogged = true;
}

void RpcServer::refuseBusy(ClientStream* stream)
{
    logBusy();
    stream->setParent(this);
    connect(stream, &ClientStream::closed, stream, &QObject::deleteLater);
    stream->write(
        Kav::Rpc::RpcResponse::failure(QJsonValue::Null, Kav::Rpc::ServerBusy,
                                       QStringLiteral("the server already serves %1 connections; try again "
                                                      "later or another server")
                                           .arg(m_maxConnections))
            .toLine());
    stream->closeAfterSending();
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
    auto* connection =
        new RpcConnection(stream, m_dispatcher, m_lineCap, m_idleTimeoutMs, &m_memory, &m_stallWatch, this);
    m_connections.append(connection);
    connect(connection, &RpcConnection::closed, this, &RpcServer::forget);
}

void RpcServer::forget(RpcConnection* connection)
{
    m_connections.removeOne(connection);
    connection->deleteLater();
    m_busyLogged = m_busyLogged && isFull();
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
    for (TlsHandshake* handshake : m_handshakes + m_refusals)
        handshake->abort();
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

} // namespace KavServer
