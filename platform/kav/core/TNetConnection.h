#pragma once
// The socket connection of a screen to the application server: it connects on demand, fires
// OnBeforeConnect before every connect, and carries synchronous remote calls by method name.
// With a trusted certificate it speaks TLS and accepts only that server; with an access token
// it presents the token right after connecting, before any call.

#include "AppServer.h"
#include "CallWait.h"
#include "RemoteArg.h"
#include "RpcResponse.h"
#include "ServerAccess.h"
#include "ServerList.h"

#include <memory>
#include <QHash>
#include <QObject>
#include <QString>

class QSslSocket;

namespace Kav {
class ClientCoreContext;
}
namespace Kav::Rpc {
class RpcLineBuffer;
}

class TNetConnection : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ServerName READ ServerName WRITE setServerName)
    Q_PROPERTY(QString Host READ Host WRITE setHost)
    Q_PROPERTY(int Port READ Port WRITE setPort)
    Q_PROPERTY(bool Connected READ Connected WRITE setConnected)
    Q_PROPERTY(bool ThrowException READ ThrowException WRITE setThrowException)
    Q_PROPERTY(int CallTimeout READ CallTimeout WRITE setCallTimeout)
    Q_PROPERTY(int ConnectTimeout READ ConnectTimeout WRITE setConnectTimeout)
    Q_PROPERTY(QString LastError READ LastError)
    Q_PROPERTY(QString AccessToken READ AccessToken WRITE setAccessToken)
    Q_PROPERTY(QString TrustedCertificate READ TrustedCertificate WRITE setTrustedCertificate)

public:
    static constexpr int kDefaultCallTimeoutMs = Kav::ServerAccess::kDefaultCallTimeoutMs;
    static constexpr int kDefaultConnectTimeoutMs = 10000;

    // Starts with the access to the server of the client it works for (token, certificate, call
    // timeout): the one given (a form's layout gives its own), or the current client's, or the
    // built-in defaults in a program that made no context (kavcall).
    TNetConnection(const Kav::ClientCoreContext& context, QObject* parent);
    explicit TNetConnection(QObject* parent = nullptr);
    ~TNetConnection() override;

    QString ServerName() const { return m_serverName; }
    void setServerName(const QString& name) { m_serverName = name; }
    // One host, or several "host:port" entries separated by commas, tried in order (ServerList);
    // Port serves the entries that name none.
    QString Host() const { return m_host; }
    void setHost(const QString& host) { m_host = host; }
    int Port() const { return m_port; }
    void setPort(int port) { m_port = port; }
    bool ThrowException() const { return m_throwException; }
    void setThrowException(bool on) { m_throwException = on; }
    // Milliseconds a call or a connect may take before it ends in an error.
    int CallTimeout() const { return m_callTimeoutMs; }
    void setCallTimeout(int ms) { m_callTimeoutMs = ms; }
    int ConnectTimeout() const { return m_connectTimeoutMs; }
    void setConnectTimeout(int ms) { m_connectTimeoutMs = ms; }
    // Why the last connect or call failed; empty after a success.
    QString LastError() const { return m_lastError; }
    // The server's error code when it refused the connection (Kav::Rpc::Unauthorized for the
    // access token); 0 otherwise.
    int LastRefusalCode() const { return m_refusalCode; }
    // Sent on connect when not empty.
    QString AccessToken() const { return m_accessToken; }
    void setAccessToken(const QString& token) { m_accessToken = token; }
    // A PEM file with the server's certificate (or the authority that signed it); not empty: TLS.
    QString TrustedCertificate() const { return m_trustedCertificate; }
    void setTrustedCertificate(const QString& path) { m_trustedCertificate = path; }

    bool Connected() const;
    // Connecting fires OnBeforeConnect first. A failed connect raises only with ThrowException
    // on; otherwise the connection stays closed and LastError says why.
    void setConnected(bool connected);
    Q_INVOKABLE void Open() { setConnected(true); }
    Q_INVOKABLE void Close() { setConnected(false); }

    // Fetched anew for each call, as the screens do.
    Kav::AppServer AppServer() { return Kav::AppServer(this); }

    // A connection that is down is connected again first (firing OnBeforeConnect); a failure
    // to connect, a drop during the call, the timeout and an error from the server raise
    // Kav::Exception (Kav::Rpc::RpcError for the server's errors), whatever ThrowException says.
    // `activity` says in the user's words what the call does, for the wait panel and messages.
    // The user cancelling the wait raises Kav::SilentAbort. No call is ever sent twice.
    QVariant call(const QString& method, const QList<Kav::RemoteArg>& args,
                  const Kav::CallActivity& activity = {});

signals:
    void answerArrived();

private:
    TNetConnection(const Kav::ServerAccess& access, QObject* parent);

    // Tries the servers the host names, in order (ServerList); a call in flight is never sent
    // again elsewhere: only the next connect moves on to a server that is up.
    bool connectNow();
    // `probe`: the server must answer its first call within a few seconds (there are others to
    // try).
    bool connectToServer(bool probe);
    bool startTls();
    // Sends the access token, and with `probe` waits only briefly for its answer (or that of
    // rpc.objects without a token): a server that accepts but does not answer is no server to use.
    bool checkAlive(bool probe);
    // Closes with a reset, so the server drops what it runs for this connection.
    void dropConnection();
    void ensureConnected();
    void readAnswers();
    // `timeoutMs` 0: the call timeout.
    Kav::Rpc::RpcResponse waitForAnswer(qint64 id, const Kav::CallActivity& activity, int timeoutMs = 0);
    QString address() const;
    [[noreturn]] void fail(const QString& message);

    QString m_serverName;
    QString m_host;
    int m_port = 0;
    bool m_throwException = true;
    int m_callTimeoutMs = kDefaultCallTimeoutMs;
    int m_connectTimeoutMs = kDefaultConnectTimeoutMs;
    QString m_lastError;
    int m_refusalCode = 0;
    Kav::ServerAddress m_server; // the one connected to, or tried last
    QString m_accessToken;
    QString m_trustedCertificate;
    QSslSocket* m_socket;
    std::unique_ptr<Kav::Rpc::RpcLineBuffer> m_buffer;
    qint64 m_nextId = 0;
    QHash<qint64, Kav::Rpc::RpcResponse> m_answers;
};
