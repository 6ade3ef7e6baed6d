#pragma once
// Runs remote calls: finds the module and method, checks the arguments, and runs each call on a
// worker thread with that thread's own database connection, in its own transaction, answering
// on the dispatcher's thread. Logs one line per call. Calls waiting for a worker are started in
// turns, one connection's after another's: a client that sent many calls at once (a batch) waits
// for its own, not the others.

#include "DatabaseUrl.h"
#include "ModuleRegistry.h"
#include "RpcRequest.h"
#include "RpcResponse.h"

#include <atomic>
#include <functional>
#include <memory>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QThreadPool>

namespace KavServer {

class StallWatch;

class CallDispatcher : public QObject
{
    Q_OBJECT
public:
    using Answer = std::function<void(const Kav::Rpc::RpcResponse&)>;

    // Throws Kav::Exception for a database URL that does not parse.
    CallDispatcher(const ModuleRegistry& modules, const QString& databaseUrl, int threads,
                   QObject* parent = nullptr);
    ~CallDispatcher() override;

    // `object` is the server object the call goes to (named in the call or chosen for the
    // connection); `peer` names the client in the log; `clientGone` turns true when the client
    // disconnects: a call not yet started then never starts, one that then ends is rolled back,
    // and one that committed before is logged as not delivered and undone where its method says
    // how. `answer` runs on this object's thread, also for calls refused before they run and for
    // notifications (whose answer the connection does not send).
    void dispatch(const Kav::Rpc::RpcRequest& request, const QString& object, const QString& peer,
                  std::shared_ptr<std::atomic_bool> clientGone, Answer answer);

    // Housekeeping run like a call (own thread, connection and transaction), logged as `label`.
    void runTask(const QString& label, const RemoteMethod& task);

    // While the server settles after standing still, finished calls are answered only once it has
    // settled: by then a client that left during the stall is known to be gone (StallWatch).
    void setStallWatch(StallWatch* watch) { m_stallWatch = watch; }

    int callsInFlight() const { return m_inFlight; }
    const ModuleRegistry& modules() const { return m_modules; }
    // Blocks until every worker is done (at shutdown, after callsInFlight() reached zero).
    void waitForWorkers();

signals:
    void idle(); // the last call in flight was answered

private:
    void start(const RemoteMethod& method, const Kav::Rpc::RpcRequest& request, const QString& peer,
               const QString& label, std::shared_ptr<std::atomic_bool> clientGone, Answer answer);
    // Queues `job` among its connection's (`owner`; none for housekeeping) and starts what the
    // free workers can take, a connection at a time.
    void enqueue(const void* owner, std::function<void()> job);
    void startWaiting();
    void jobDone();
    // Runs `step` now, or once the server has settled after a stall.
    void afterSettling(const std::function<void()>& step);
    Kav::Rpc::RpcResponse execute(const RemoteMethod& method, const Kav::Rpc::RpcRequest& request,
                                  const std::shared_ptr<std::atomic_bool>& clientGone) const;
    void finish(const QString& peer, const QString& method, qint64 ms, const Kav::Rpc::RpcResponse& response,
                const Answer& answer);
    // A finished call whose client is gone: logged as such, its work undone where the method can.
    void finishUndelivered(const RemoteMethod& method, const QString& peer, const QString& label, qint64 ms,
                           const Kav::Rpc::RpcResponse& response, const Answer& answer);
    void undo(const RemoteMethod& method, const QString& label, const QVariant& answer);

    const ModuleRegistry& m_modules;
    QString m_databaseUrl;
    Kav::DatabaseUrl::Engine m_engine;
    QThreadPool m_pool;
    int m_inFlight = 0;
    int m_running = 0;                                           // jobs handed to the workers
    QHash<const void*, QQueue<std::function<void()>>> m_waiting; // by connection
    QList<const void*> m_turns;                                  // connections with jobs waiting
    QPointer<StallWatch> m_stallWatch;
};

} // namespace KavServer
