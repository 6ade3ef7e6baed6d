#pragma once
// A loopback relay between the screen's connection and a real kavserver: every line goes through
// unchanged, the calls the client made are recorded (method and arguments), and the next answer
// of a method can be rewritten, for answers the real server never gives.

#include <functional>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

class RecordingProxy : public QObject
{
    Q_OBJECT
public:
    struct Call
    {
        QString method; // "GetServico": the method without its server object
        QJsonArray params;
        QJsonValue value; // the answer's value as the client received it, once it came
    };
    // Changes the "result" object of an answer ({"value":..., "refs":{...}}).
    using Rewrite = std::function<void(QJsonObject& result)>;

    explicit RecordingProxy(quint16 upstreamPort, QObject* parent = nullptr);
    ~RecordingProxy() override;

    // Listens on a free loopback port.
    bool listen();
    quint16 port() const { return m_server.serverPort(); }

    const QList<Call>& calls() const { return m_calls; }
    QList<Call> callsOf(const QString& method) const;
    QStringList methods() const;
    void clearCalls() { m_calls.clear(); }

    void rewriteNextAnswer(const QString& method, Rewrite rewrite);

signals:
    // A call reached the proxy; the client is waiting for its answer.
    void callArrived(const QString& method);

private:
    struct Relay;

    void accept();
    void fromClient(Relay* relay);
    void fromServer(Relay* relay);
    QByteArray answerLine(Relay* relay, const QByteArray& line);

    QTcpServer m_server;
    quint16 m_upstreamPort;
    QList<Relay*> m_relays;
    QList<Call> m_calls;
    QHash<QString, Rewrite> m_rewrites;
};
