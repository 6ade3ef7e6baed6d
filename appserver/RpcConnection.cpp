#include "RpcConnection.h"

#include "CallDispatcher.h"
#include "RpcError.h"
#include "RpcRequest.h"
#include "RpcResponse.h"

#include <QTcpSocket>

using Kav::Rpc::RpcError;
using Kav::Rpc::RpcRequest;
using Kav::Rpc::RpcResponse;

namespace {

// The server's own object: "rpc.use" chooses the connection's server object, "rpc.objects"
// lists the server objects and "rpc.methods" the methods of one.
const QLatin1String kBuiltInObject("rpc");

} // namespace

RpcConnection::RpcConnection(QTcpSocket* socket, CallDispatcher& dispatcher, qsizetype lineCap,
                             int idleTimeoutMs, QObject* parent)
    : QObject(parent), m_socket(socket), m_dispatcher(dispatcher), m_buffer(lineCap),
      m_peer(QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()))
{
    socket->setParent(this);
    // Unread bytes stay in the kernel, so a client that outpaces the server is slowed by TCP.
    socket->setReadBufferSize(lineCap);
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(idleTimeoutMs);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        refuseAndClose(
            Kav::Rpc::InvalidRequest,
            QStringLiteral("request line not finished within %1 s").arg(m_idleTimer.interval() / 1000));
    });
    connect(socket, &QTcpSocket::readyRead, this, &RpcConnection::readRequests);
    connect(socket, &QTcpSocket::disconnected, this, &RpcConnection::onDisconnected);
    readRequests();
}

RpcConnection::~RpcConnection()
{
    m_gone->store(true);
}

void RpcConnection::readRequests()
{
    if (!m_socket)
        return;
    bool tookLine = false;
    while (m_callsInFlight < kMaxCallsInFlight) {
        if (const std::optional<QByteArray> line = m_buffer.takeLine()) {
            tookLine = true;
            handleLine(*line);
            continue;
        }
        if (m_socket->bytesAvailable() == 0)
            break;
        m_buffer.append(m_socket->readAll());
    }
    if (m_buffer.overflowed()) {
        refuseAndClose(Kav::Rpc::InvalidRequest,
                       QStringLiteral("request line longer than %1 bytes").arg(m_buffer.lineCap()));
        return;
    }
    // The clock runs from the start of an unfinished line; not while the connection is held
    // back, when the client may be unable to send the rest.
    const bool heldBack = m_callsInFlight >= kMaxCallsInFlight;
    if (heldBack || !m_buffer.hasPartialLine())
        m_idleTimer.stop();
    else if (tookLine || !m_idleTimer.isActive())
        m_idleTimer.start();
}

void RpcConnection::handleLine(const QByteArray& line)
{
    QJsonValue id;
    RpcRequest request;
    try {
        request = RpcRequest::parse(line, id);
    } catch (const RpcError& error) {
        send(RpcResponse::failure(id, error.code(), error.message()));
        return;
    }
    if (!m_accepting) {
        send(RpcResponse::failure(request.id, Kav::Rpc::ServerStopping,
                                  QStringLiteral("the server is stopping")));
        return;
    }
    if (request.object == kBuiltInObject) {
        handleBuiltIn(request);
        return;
    }
    const QString object = request.object.isEmpty() ? m_object : request.object;
    QPointer<RpcConnection> self(this);
    ++m_callsInFlight;
    m_dispatcher.dispatch(request, object, m_peer, m_gone, [self](const RpcResponse& response) {
        if (self) {
            self->send(response);
            self->callFinished();
        }
    });
}

void RpcConnection::handleBuiltIn(const RpcRequest& request)
{
    const ModuleRegistry& modules = m_dispatcher.modules();
    const QString argument = request.args.value(0).toString();
    if (request.method == QLatin1String("use") && request.args.size() == 1) {
        if (!modules.find(argument)) {
            send(RpcResponse::failure(request.id, Kav::Rpc::MethodNotFound,
                                      QStringLiteral("no server object named \"%1\"").arg(argument)));
            return;
        }
        m_object = argument;
        send(RpcResponse::success(request.id, argument));
    } else if (request.method == QLatin1String("objects") && request.args.isEmpty()) {
        send(RpcResponse::success(request.id, modules.serverNames()));
    } else if (request.method == QLatin1String("methods") && request.args.size() == 1 &&
               modules.find(argument)) {
        send(RpcResponse::success(request.id, modules.find(argument)->methodNames()));
    } else {
        send(
            RpcResponse::failure(request.id, Kav::Rpc::MethodNotFound,
                                 QStringLiteral("unknown call rpc.%1 (use OBJECT | objects | methods OBJECT)")
                                     .arg(request.method)));
    }
}

void RpcConnection::callFinished()
{
    // Lines held back while the connection had its fill of calls are read now.
    if (--m_callsInFlight == kMaxCallsInFlight - 1)
        QMetaObject::invokeMethod(this, &RpcConnection::readRequests, Qt::QueuedConnection);
}

void RpcConnection::send(const RpcResponse& response)
{
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState && !response.id.isUndefined())
        m_socket->write(response.toLine());
}

void RpcConnection::refuseAndClose(int code, const QString& message)
{
    send(RpcResponse::failure(QJsonValue::Null, code, message));
    close();
}

void RpcConnection::close()
{
    m_idleTimer.stop();
    if (m_socket && m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->disconnectFromHost(); // writes what is pending first
    else
        onDisconnected();
}

void RpcConnection::onDisconnected()
{
    if (m_gone->exchange(true))
        return;
    m_idleTimer.stop();
    emit closed(this);
}
