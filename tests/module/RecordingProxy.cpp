#include "RecordingProxy.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QTcpSocket>

namespace {
const char kLineEnd = '\n';

// Whole lines taken from the front of `buffer`, each without its line end.
QList<QByteArray> takeLines(QByteArray& buffer)
{
    QList<QByteArray> lines;
    qsizetype end;
    while ((end = buffer.indexOf(kLineEnd)) >= 0) {
        lines << buffer.left(end);
        buffer.remove(0, end + 1);
    }
    return lines;
}

QString idKey(const QJsonValue& id)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{id}).toJson(QJsonDocument::Compact));
}

QString shortMethod(const QString& method)
{
    return method.mid(method.lastIndexOf(QLatin1Char('.')) + 1);
}
} // namespace

struct RecordingProxy::Relay
{
    QTcpSocket* client = nullptr;
    QTcpSocket* server = nullptr;
    QByteArray fromClient;
    QByteArray fromServer;
    QHash<QString, qsizetype> callOfId; // requests waiting for their answer, by index in calls
};

RecordingProxy::RecordingProxy(quint16 upstreamPort, QObject* parent)
    : QObject(parent), m_upstreamPort(upstreamPort)
{
    connect(&m_server, &QTcpServer::newConnection, this, &RecordingProxy::accept);
}

RecordingProxy::~RecordingProxy()
{
    qDeleteAll(m_relays);
}

bool RecordingProxy::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QList<RecordingProxy::Call> RecordingProxy::callsOf(const QString& method) const
{
    QList<Call> found;
    for (const Call& call : m_calls) {
        if (call.method == method)
            found << call;
    }
    return found;
}

QStringList RecordingProxy::methods() const
{
    QStringList names;
    for (const Call& call : m_calls)
        names << call.method;
    return names;
}

void RecordingProxy::rewriteNextAnswer(const QString& method, Rewrite rewrite)
{
    m_rewrites.insert(method, std::move(rewrite));
}

void RecordingProxy::accept()
{
    while (QTcpSocket* client = m_server.nextPendingConnection()) {
        auto* relay = new Relay;
        relay->client = client;
        relay->server = new QTcpSocket(this);
        m_relays << relay;
        // Lines written while the server side still connects wait in the socket's buffer.
        relay->server->connectToHost(QHostAddress::LocalHost, m_upstreamPort);
        connect(client, &QTcpSocket::readyRead, this, [this, relay] { fromClient(relay); });
        connect(relay->server, &QTcpSocket::readyRead, this, [this, relay] { fromServer(relay); });
        connect(client, &QTcpSocket::disconnected, relay->server, &QTcpSocket::disconnectFromHost);
        connect(relay->server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
    }
}

void RecordingProxy::fromClient(Relay* relay)
{
    relay->fromClient += relay->client->readAll();
    for (const QByteArray& line : takeLines(relay->fromClient)) {
        const QJsonObject request = QJsonDocument::fromJson(line).object();
        const QString method = shortMethod(request.value(QStringLiteral("method")).toString());
        if (!method.isEmpty() && !method.startsWith(QStringLiteral("rpc"))) {
            relay->callOfId.insert(idKey(request.value(QStringLiteral("id"))), m_calls.size());
            m_calls << Call{method, request.value(QStringLiteral("params")).toArray(), QJsonValue()};
            emit callArrived(method);
        }
        relay->server->write(line + kLineEnd);
    }
}

void RecordingProxy::fromServer(Relay* relay)
{
    relay->fromServer += relay->server->readAll();
    for (const QByteArray& line : takeLines(relay->fromServer))
        relay->client->write(answerLine(relay, line) + kLineEnd);
}

QByteArray RecordingProxy::answerLine(Relay* relay, const QByteArray& line)
{
    QJsonObject answer = QJsonDocument::fromJson(line).object();
    const QString id = idKey(answer.value(QStringLiteral("id")));
    const qsizetype index = relay->callOfId.value(id, -1);
    relay->callOfId.remove(id);
    if (index < 0 || index >= m_calls.size() || !answer.contains(QStringLiteral("result")))
        return line;
    Call& call = m_calls[index];
    QJsonObject result = answer.value(QStringLiteral("result")).toObject();
    const auto rewrite = m_rewrites.find(call.method);
    if (rewrite != m_rewrites.end()) {
        (*rewrite)(result);
        m_rewrites.erase(rewrite);
        answer.insert(QStringLiteral("result"), result);
    }
    call.value = result.value(QStringLiteral("value"));
    return QJsonDocument(answer).toJson(QJsonDocument::Compact);
}
