#pragma once
// One client's connection to the server: reads request lines (refusing over-long ones and
// closing on a line left unfinished too long), hands calls to the dispatcher and writes the
// answers back. Calls of one client may run side by side; answers carry their call's id. A client
// that sends calls faster than they finish is read no further until some are answered.

#include "RpcLineBuffer.h"

#include <atomic>
#include <memory>
#include <QObject>
#include <QPointer>
#include <QTimer>

class CallDispatcher;
class QTcpSocket;

namespace Kav::Rpc {
struct RpcRequest;
struct RpcResponse;
} // namespace Kav::Rpc

class RpcConnection : public QObject
{
    Q_OBJECT
public:
    // Calls of one connection running at once; further lines wait in the socket.
    static constexpr int kMaxCallsInFlight = 32;

    RpcConnection(QTcpSocket* socket, CallDispatcher& dispatcher, qsizetype lineCap, int idleTimeoutMs,
                  QObject* parent = nullptr);
    ~RpcConnection() override;

    // The server is stopping: calls already received are finished, new ones are refused.
    void stopAccepting() { m_accepting = false; }
    // Sends what is pending and closes.
    void close();
    QString peer() const { return m_peer; }

signals:
    void closed(RpcConnection* connection);

private:
    void readRequests();
    void handleLine(const QByteArray& line);
    void handleBuiltIn(const Kav::Rpc::RpcRequest& request);
    void send(const Kav::Rpc::RpcResponse& response);
    void refuseAndClose(int code, const QString& message);
    void onDisconnected();
    void callFinished();

    QPointer<QTcpSocket> m_socket;
    CallDispatcher& m_dispatcher;
    Kav::Rpc::RpcLineBuffer m_buffer;
    QTimer m_idleTimer;
    QString m_peer;
    QString m_object; // chosen with rpc.use
    bool m_accepting = true;
    int m_callsInFlight = 0;
    std::shared_ptr<std::atomic_bool> m_gone = std::make_shared<std::atomic_bool>(false);
};
