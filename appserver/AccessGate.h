#pragma once
// Holds a new client's connection until it presents the access token: its first line must be
// {"jsonrpc":"2.0","id":1,"method":"rpc.auth","params":["TOKEN"]}. A right token is answered
// with true and the connection is handed on; anything else is refused and the connection closed,
// before any method can run.

#include <QObject>
#include <QPointer>
#include <QTimer>

namespace KavServer {

class ClientStream;
class ServerSecurity;

class AccessGate : public QObject
{
    Q_OBJECT
public:
    AccessGate(ClientStream* stream, const ServerSecurity& security, qsizetype lineCap, int timeoutMs,
               QObject* parent = nullptr);

    // Closes the connection (the server is stopping); finished() follows.
    void close();

signals:
    // `stream` passed the gate (nullptr when it was refused or went away); the gate is done
    // either way and may be deleted.
    void finished(AccessGate* gate, ClientStream* stream);

private:
    void readToken();
    void refuse(const QJsonValue& id, const QString& message);

    QPointer<ClientStream> m_stream;
    const ServerSecurity& m_security;
    qsizetype m_lineCap;
    QTimer m_timeout;
    QString m_peer;
    bool m_refusing = false;
    bool m_done = false;
};

} // namespace KavServer
