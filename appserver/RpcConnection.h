#pragma once
// One client's connection to the server: reads request lines (refusing over-long ones and
// closing on a line left unfinished too long), hands calls to the dispatcher and writes the
// answers back. Calls of one client may run side by side; answers carry their call's id. A client
// that sends calls faster than they finish, or that does not read its answers, is read no further
// until it catches up. Once the client ends its input, the calls it sent are still finished and
// answered before the connection closes.

#include "RpcLineBuffer.h"

#include <atomic>
#include <functional>
#include <memory>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace Kav::Rpc {
struct RpcRequest;
struct RpcResponse;
} // namespace Kav::Rpc

namespace KavServer {

class CallDispatcher;
class ClientStream;
class ServerMemory;
class StallWatch;

class RpcConnection : public QObject
{
    Q_OBJECT
public:
    // Calls of one connection running at once; further lines wait in the socket.
    static constexpr int kMaxCallsInFlight = 32;
    // Answers waiting for the client to read them, in bytes, beyond which it is read no further.
    static constexpr qint64 kMaxUnsentBytes = 1024 * 1024;
    // Lines one connection has handled before the others get their turn on the server's thread,
    // where every line is read and refusals are answered.
    static constexpr int kLinesPerTurn = 64;

    // `memory`, when given, is what all the server's connections hold together (ServerMemory);
    // `stallWatch`, when given, tells when the server has just stood still: a client that ends its
    // input then did so during the stall, and its calls are not run (StallWatch).
    RpcConnection(ClientStream* stream, CallDispatcher& dispatcher, qsizetype lineCap, int idleTimeoutMs,
                  ServerMemory* memory = nullptr, StallWatch* stallWatch = nullptr,
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
    using Answer = std::function<void(const Kav::Rpc::RpcResponse&)>;

    void readRequests();
    // Reads on a later pass of the event loop (queued: an answer written while reading requests
    // must not start reading again within).
    void scheduleRead();
    bool isHeldBack() const;
    // Unsent answers and received bytes not yet taken as calls.
    qint64 heldBytes() const;
    // Tells the server's memory what this connection holds now.
    void account();
    void handleLine(const QByteArray& line);
    void handleCall(const QByteArray& text, const Answer& answer);
    Kav::Rpc::RpcResponse builtIn(const Kav::Rpc::RpcRequest& request);
    void send(const QByteArray& line);
    void refuseAndClose(int code, const QString& message);
    void onStreamClosed();
    void onInputEnded();
    // Calls are taken only once the server has settled after a stall; true when they must wait.
    bool waitsForSettling();
    void callFinished();
    void closeIfInputDone();

    QPointer<ClientStream> m_stream;
    CallDispatcher& m_dispatcher;
    QPointer<ServerMemory> m_memory;
    QPointer<StallWatch> m_stallWatch;
    QTimer m_settleTimer;
    qint64 m_accounted = 0;
    Kav::Rpc::RpcLineBuffer m_buffer;
    QTimer m_idleTimer;
    QString m_peer;
    bool m_inputEnded;
    QString m_object; // chosen with rpc.use
    bool m_accepting = true;
    int m_callsInFlight = 0;
    bool m_readScheduled = false;
    bool m_heldBack = false; // as the last pass of reading left it
    bool m_closed = false;
    bool m_cut = false; // its input ended while the server stood still: nothing is answered
    std::shared_ptr<std::atomic_bool> m_gone = std::make_shared<std::atomic_bool>(false);
};

} // namespace KavServer
