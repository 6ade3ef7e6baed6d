#pragma once
// Runs remote calls: finds the module and method, checks the arguments, and runs each call on a
// worker thread with that thread's own database connection, in its own transaction, answering
// on the dispatcher's thread. Logs one line per call.

#include "DatabaseUrl.h"
#include "ModuleRegistry.h"
#include "RpcRequest.h"
#include "RpcResponse.h"

#include <atomic>
#include <functional>
#include <memory>
#include <QObject>
#include <QThreadPool>

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
    // disconnects, and a call that then ends is rolled back. `answer` runs on this object's
    // thread, also for calls refused before they run and for notifications (whose answer the
    // connection does not send).
    void dispatch(const Kav::Rpc::RpcRequest& request, const QString& object, const QString& peer,
                  std::shared_ptr<std::atomic_bool> clientGone, Answer answer);

    // Housekeeping run like a call (own thread, connection and transaction), logged as `label`.
    void runTask(const QString& label, const RemoteMethod& task);

    int callsInFlight() const { return m_inFlight; }
    const ModuleRegistry& modules() const { return m_modules; }
    // Blocks until every worker is done (at shutdown, after callsInFlight() reached zero).
    void waitForWorkers();

signals:
    void idle(); // the last call in flight was answered

private:
    void start(const RemoteMethod& method, const Kav::Rpc::RpcRequest& request, const QString& peer,
               const QString& label, std::shared_ptr<std::atomic_bool> clientGone, Answer answer);
    Kav::Rpc::RpcResponse execute(const RemoteMethod& method, const Kav::Rpc::RpcRequest& request,
                                  const std::shared_ptr<std::atomic_bool>& clientGone) const;
    void finish(const QString& peer, const QString& method, qint64 ms, const Kav::Rpc::RpcResponse& response,
                const Answer& answer);

    const ModuleRegistry& m_modules;
    QString m_databaseUrl;
    Kav::DatabaseUrl::Engine m_engine;
    QThreadPool m_pool;
    int m_inFlight = 0;
};
