#include "RpcServer.h"

#include "CallDispatcher.h"
#include "RpcConnection.h"

#include <QTcpSocket>

namespace {

// After the last answer, how long closing connections may take to send what is pending.
constexpr int kCloseGraceMs = 2000;

} // namespace

RpcServer::RpcServer(CallDispatcher& dispatcher, qsizetype lineCap, int idleTimeoutMs, QObject* parent)
    : QObject(parent), m_dispatcher(dispatcher), m_lineCap(lineCap), m_idleTimeoutMs(idleTimeoutMs)
{
    connect(&m_listener, &QTcpServer::newConnection, this, &RpcServer::accept);
    m_drainTimer.setSingleShot(true);
    connect(&m_drainTimer, &QTimer::timeout, this, &RpcServer::closeAll);
    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(kCloseGraceMs);
    connect(&m_closeTimer, &QTimer::timeout, this, &RpcServer::stopped);
}

bool RpcServer::listen(const QHostAddress& address, quint16 port)
{
    return m_listener.listen(address, port);
}

void RpcServer::accept()
{
    while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
        if (m_stopping) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* connection = new RpcConnection(socket, m_dispatcher, m_lineCap, m_idleTimeoutMs, this);
        m_connections.append(connection);
        connect(connection, &RpcConnection::closed, this, &RpcServer::forget);
    }
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
    m_listener.close();
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
