#include "AccessGate.h"

#include "CallLog.h"
#include "ClientStream.h"
#include "RpcError.h"
#include "RpcRequest.h"
#include "RpcResponse.h"
#include "ServerSecurity.h"

namespace KavServer {

using Kav::Rpc::RpcResponse;

namespace {

const QLatin1String kAuthMethod("auth");
const QLatin1String kAuthObject("rpc");
// How long a refused client may take to read its refusal before the connection is cut.
constexpr int kRefusalGraceMs = 2000;

} // namespace

AccessGate::AccessGate(ClientStream* stream, const ServerSecurity& security, qsizetype lineCap, int timeoutMs,
                       QObject* parent)
    : QObject(parent), m_stream(stream), m_security(security), m_lineCap(lineCap), m_peer(stream->peer())
{
    stream->setParent(this);
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        if (m_refusing)
            close(); // the refused client does not take its answer
        else
            refuse(QJsonValue::Null,
                   QStringLiteral("no access token within %1 s").arg(m_timeout.interval() / 1000));
    });
    m_timeout.start(timeoutMs);
    connect(stream, &ClientStream::readyRead, this, &AccessGate::readToken);
    // A client that ended its input after the token line still has its calls answered.
    connect(stream, &ClientStream::inputEnded, this, &AccessGate::readToken);
    connect(stream, &ClientStream::closed, this, [this] {
        if (!m_done) {
            m_done = true;
            m_timeout.stop();
            emit finished(this, nullptr);
        }
    });
    readToken();
}

void AccessGate::readToken()
{
    if (m_done || m_refusing || !m_stream)
        return;
    if (!m_stream->canReadLine()) {
        if (m_stream->bytesAvailable() > m_lineCap)
            refuse(QJsonValue::Null, QStringLiteral("request line longer than %1 bytes").arg(m_lineCap));
        else if (m_stream->hasInputEnded())
            refuse(QJsonValue::Null, QStringLiteral("the server needs the access token first (rpc.auth)"));
        return;
    }
    // Only the first line is taken: what follows stays in the socket for the connection.
    const QByteArray line = m_stream->readLine(m_lineCap + 1).trimmed();
    QJsonValue id;
    try {
        const Kav::Rpc::RpcRequest request = Kav::Rpc::RpcRequest::parse(line, id);
        if (request.object != kAuthObject || request.method != kAuthMethod || request.args.size() != 1 ||
            !request.paramsRefusal.isEmpty()) {
            refuse(id, QStringLiteral("the server needs the access token first (rpc.auth)"));
            return;
        }
        if (!m_security.acceptsToken(request.args.first().toString())) {
            refuse(id, QStringLiteral("access token refused"));
            return;
        }
        m_done = true;
        m_timeout.stop();
        m_stream->write(RpcResponse::success(request.id, true).answering(request.rawId).toLine());
        disconnect(m_stream, nullptr, this, nullptr);
        ClientStream* stream = m_stream;
        stream->setParent(nullptr);
        emit finished(this, stream);
    } catch (const Kav::Rpc::RpcError&) {
        refuse(id, QStringLiteral("the server needs the access token first (rpc.auth)"));
    }
}

void AccessGate::refuse(const QJsonValue& id, const QString& message)
{
    if (m_done || m_refusing)
        return;
    m_refusing = true;
    // The token itself is never written anywhere.
    CallLog::write(
        CallLog::line(m_peer, QStringLiteral("rpc.auth"), 0, QStringLiteral("refused: %1").arg(message)));
    if (m_stream && m_stream->canSend()) {
        m_stream->write(RpcResponse::failure(id, Kav::Rpc::Unauthorized, message).toLine());
        m_timeout.start(kRefusalGraceMs);
        m_stream->closeAfterSending();
    } else {
        m_done = true;
        m_timeout.stop();
        emit finished(this, nullptr);
    }
}

void AccessGate::close()
{
    if (m_stream)
        m_stream->abortNow();
    if (!m_done) {
        m_done = true;
        m_timeout.stop();
        emit finished(this, nullptr);
    }
}

} // namespace KavServer
