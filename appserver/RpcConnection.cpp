#include "RpcConnection.h"

#include "BatchAnswers.h"
#include "CallDispatcher.h"
#include "CallLog.h"
#include "ClientStream.h"
#include "RpcBatch.h"
#include "RpcError.h"
#include "RpcJsonText.h"
#include "RpcRequest.h"
#include "RpcResponse.h"
#include "ServerMemory.h"
#include "StallWatch.h"

#include <QScopeGuard>
#include <utility>

namespace KavServer {

using Kav::Rpc::RpcBatch;
using Kav::Rpc::RpcError;
using Kav::Rpc::RpcRequest;
using Kav::Rpc::RpcResponse;

namespace {

// The server's own object: "rpc.use" chooses the connection's server object, "rpc.objects"
// lists the server objects and "rpc.methods" the methods of one.
const QLatin1String kBuiltInObject("rpc");
const QLatin1String kUse("use");
const QLatin1String kObjects("objects");
const QLatin1String kMethods("methods");

// The id of a refused request as its client wrote it; `id` is null unless the line was JSON.
QByteArray rawIdOf(const QByteArray& text, const QJsonValue& id)
{
    return id.isNull() ? QByteArray() : Kav::Rpc::JsonText::memberValue(text, QStringLiteral("id"));
}

} // namespace

RpcConnection::RpcConnection(ClientStream* stream, CallDispatcher& dispatcher, qsizetype lineCap,
                             int idleTimeoutMs, ServerMemory* memory, StallWatch* stallWatch, QObject* parent)
    : QObject(parent), m_stream(stream), m_dispatcher(dispatcher), m_memory(memory), m_stallWatch(stallWatch),
      m_buffer(lineCap), m_peer(stream->peer()), m_inputEnded(stream->hasInputEnded())
{
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(StallWatch::kSettleMs);
    connect(&m_settleTimer, &QTimer::timeout, this, &RpcConnection::scheduleRead);
    if (memory)
        connect(memory, &ServerMemory::relieved, this, &RpcConnection::scheduleRead);
    stream->setParent(this);
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(idleTimeoutMs);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        refuseAndClose(
            Kav::Rpc::InvalidRequest,
            QStringLiteral("request line not finished within %1 s").arg(m_idleTimer.interval() / 1000));
    });
    connect(stream, &ClientStream::readyRead, this, &RpcConnection::readRequests);
    // Answers drained by the client may let a held-back connection be read again.
    connect(stream, &ClientStream::bytesWritten, this, [this] {
        if (m_heldBack && !isHeldBack())
            scheduleRead();
    });
    connect(stream, &ClientStream::inputEnded, this, &RpcConnection::onInputEnded);
    connect(stream, &ClientStream::closed, this, &RpcConnection::onStreamClosed);
    readRequests();
}

RpcConnection::~RpcConnection()
{
    m_gone->store(true);
    if (m_memory)
        m_memory->change(m_accounted, 0);
}

qint64 RpcConnection::heldBytes() const
{
    return m_buffer.pendingBytes() + (m_stream ? m_stream->bytesAvailable() + m_stream->bytesToWrite() : 0);
}

void RpcConnection::account()
{
    if (!m_memory)
        return;
    const qint64 now = heldBytes();
    m_memory->change(m_accounted, now);
    m_accounted = now;
}

bool RpcConnection::isHeldBack() const
{
    const bool serverFull = m_memory && m_memory->isPastLimit() && heldBytes() > ServerMemory::kShareBytes;
    return serverFull || m_callsInFlight >= kMaxCallsInFlight ||
           (m_stream && m_stream->bytesToWrite() >= kMaxUnsentBytes);
}

void RpcConnection::onInputEnded()
{
    m_inputEnded = true;
    // A plain client may end its input and wait for its answers (a half-closed connection). One
    // that ended it while the server stood still is most likely a balancer that gave up on the
    // server and told its client the connection dropped: the user will give the command again, so
    // none of its calls may run now, and one that ran through the stall is undone.
    if (m_stallWatch && m_stallWatch->isSettling() && !m_gone->exchange(true)) {
        m_cut = true;
        CallLog::write(CallLog::line(m_peer, QStringLiteral("-"), 0,
                                     QStringLiteral("input ended while the server stood still: the client's "
                                                    "calls are dropped")));
    }
    readRequests();
}

bool RpcConnection::waitsForSettling()
{
    if (!m_stallWatch || !m_stallWatch->isSettling())
        return false;
    m_settleTimer.start();
    return true;
}

void RpcConnection::readRequests()
{
    if (!m_stream || !m_stream->canSend() || waitsForSettling())
        return;
    // Whatever returns below, the server's count and the stream's reading follow what is held.
    const auto settle = qScopeGuard([this] {
        account();
        m_heldBack = isHeldBack();
        if (m_stream)
            m_stream->setReading(!m_heldBack);
    });
    bool tookLine = false;
    int linesThisTurn = 0;
    while (!isHeldBack()) {
        if (linesThisTurn == kLinesPerTurn) {
            // The others' turn: the rest is read on a later pass of the event loop.
            scheduleRead();
            break;
        }
        if (const std::optional<QByteArray> line = m_buffer.takeLine()) {
            tookLine = true;
            ++linesThisTurn;
            handleLine(*line);
            continue;
        }
        if (!m_stream || m_stream->bytesAvailable() == 0)
            break;
        m_buffer.append(m_stream->readAll());
    }
    if (m_buffer.overflowed()) {
        refuseAndClose(Kav::Rpc::InvalidRequest,
                       QStringLiteral("request line longer than %1 bytes").arg(m_buffer.lineCap()));
        return;
    }
    if (m_inputEnded) {
        // A last line the client left without its end is taken as it stands.
        if (m_stream && m_stream->bytesAvailable() == 0)
            m_buffer.finish();
        m_idleTimer.stop();
        closeIfInputDone();
        return;
    }
    // The clock runs from the start of an unfinished line; not while the connection is held
    // back, when the client may be unable to send the rest.
    if (isHeldBack() || !m_buffer.hasPartialLine())
        m_idleTimer.stop();
    else if (tookLine || !m_idleTimer.isActive())
        m_idleTimer.start();
}

void RpcConnection::scheduleRead()
{
    // One pass pending at most: a connection writing answers by the thousand must not fill the
    // event queue with passes, ahead of every other client's turn.
    if (m_readScheduled)
        return;
    m_readScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_readScheduled = false;
            readRequests();
        },
        Qt::QueuedConnection);
}

void RpcConnection::closeIfInputDone()
{
    // The client sent its last call: once every call it sent is answered, the connection closes.
    const bool allRead = m_buffer.isEmpty() && (!m_stream || m_stream->bytesAvailable() == 0);
    if (m_inputEnded && allRead && m_callsInFlight == 0)
        close();
    else if (m_inputEnded && !isHeldBack() && !m_buffer.isEmpty())
        scheduleRead();
}

void RpcConnection::handleLine(const QByteArray& line)
{
    RpcBatch batch;
    try {
        batch = RpcBatch::split(line);
    } catch (const RpcError& error) {
        send(RpcResponse::failure(QJsonValue::Null, error.code(), error.message()).toLine());
        return;
    }
    QPointer<RpcConnection> self(this);
    if (!batch.isBatch) {
        handleCall(line, [self](const RpcResponse& response) {
            if (self && !response.id.isUndefined())
                self->send(response.toLine());
        });
        return;
    }
    auto answers = std::make_shared<BatchAnswers>(batch.calls.size());
    for (const QByteArray& call : std::as_const(batch.calls)) {
        handleCall(call, [self, answers](const RpcResponse& response) {
            const std::optional<QByteArray> line = answers->add(response);
            if (self && line)
                self->send(*line);
        });
    }
}

void RpcConnection::handleCall(const QByteArray& text, const Answer& answer)
{
    QJsonValue id;
    RpcRequest request;
    try {
        request = RpcRequest::parse(text, id);
    } catch (const RpcError& error) {
        answer(RpcResponse::failure(id, error.code(), error.message()).answering(rawIdOf(text, id)));
        return;
    }
    if (!m_accepting) {
        answer(RpcResponse::failure(request.id, Kav::Rpc::ServerStopping,
                                    QStringLiteral("the server is stopping"))
                   .answering(request.rawId));
        return;
    }
    if (request.object == kBuiltInObject) {
        answer(builtIn(request).answering(request.rawId));
        return;
    }
    const QString object = request.object.isEmpty() ? m_object : request.object;
    QPointer<RpcConnection> self(this);
    ++m_callsInFlight;
    const QByteArray rawId = request.rawId;
    m_dispatcher.dispatch(request, object, m_peer, m_gone,
                          [self, answer, rawId](const RpcResponse& response) {
                              answer(response.answering(rawId));
                              if (self)
                                  self->callFinished();
                          });
}

RpcResponse RpcConnection::builtIn(const RpcRequest& request)
{
    const ModuleRegistry& modules = m_dispatcher.modules();
    const bool isUse = request.method == kUse;
    if (!isUse && request.method != kObjects && request.method != kMethods)
        return RpcResponse::failure(
            request.id, Kav::Rpc::MethodNotFound,
            QStringLiteral("unknown call rpc.%1 (use OBJECT | objects | methods OBJECT)")
                .arg(request.method));
    if (!request.paramsRefusal.isEmpty())
        return RpcResponse::failure(request.id, Kav::Rpc::InvalidParams, request.paramsRefusal);
    if (request.method == kObjects) {
        if (!request.args.isEmpty())
            return RpcResponse::failure(request.id, Kav::Rpc::InvalidParams,
                                        QStringLiteral("rpc.objects takes no arguments"));
        return RpcResponse::success(request.id, modules.serverNames());
    }
    const QVariant argument = request.args.value(0);
    if (request.args.size() != 1 || argument.metaType().id() != QMetaType::QString)
        return RpcResponse::failure(
            request.id, Kav::Rpc::InvalidParams,
            QStringLiteral("rpc.%1 takes one argument, the server object's name (text)").arg(request.method));
    const QString name = argument.toString();
    const RemoteDataModule* module = modules.find(name);
    if (!module)
        return RpcResponse::failure(request.id, Kav::Rpc::MethodNotFound,
                                    QStringLiteral("no server object named \"%1\"").arg(name));
    if (isUse) {
        m_object = name;
        return RpcResponse::success(request.id, name);
    }
    return RpcResponse::success(request.id, module->methodNames());
}

void RpcConnection::callFinished()
{
    --m_callsInFlight;
    // Lines held back while the connection had its fill of calls are read now; a client whose input
    // ended may now have every answer.
    scheduleRead();
}

void RpcConnection::send(const QByteArray& line)
{
    if (m_stream && m_stream->canSend() && !m_cut)
        m_stream->write(line);
    account();
}

void RpcConnection::refuseAndClose(int code, const QString& message)
{
    send(RpcResponse::failure(QJsonValue::Null, code, message).toLine());
    close();
}

void RpcConnection::close()
{
    m_idleTimer.stop();
    if (m_stream)
        m_stream->closeAfterSending();
    else
        onStreamClosed();
}

void RpcConnection::onStreamClosed()
{
    m_gone->store(true);
    if (std::exchange(m_closed, true))
        return;
    m_idleTimer.stop();
    emit closed(this);
}

} // namespace KavServer
