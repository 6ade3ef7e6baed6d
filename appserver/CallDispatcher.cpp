#include "CallDispatcher.h"

#include "CallContext.h"
#include "CallLog.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "RpcError.h"
#include "RpcValue.h"
#include "StallWatch.h"
#include "ThreadDatabase.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>

namespace KavServer {

using Kav::Rpc::RpcError;
using Kav::Rpc::RpcRequest;
using Kav::Rpc::RpcResponse;

namespace {

const QString kNotStarted =
    QStringLiteral("not run: the client closed its connection before the call started");

// Checks one argument against its declared type and gives it the form the method reads.
QVariant checkedArg(const QVariant& value, RemoteMethod::Arg type, int position)
{
    const int typeId = value.metaType().id();
    switch (type) {
    case RemoteMethod::Arg::Text:
        if (value.isNull())
            return QString();
        if (typeId == QMetaType::QString)
            return value;
        break;
    case RemoteMethod::Arg::Date:
        if (value.isNull() || typeId == QMetaType::QDate)
            return value.isNull() ? QVariant(QDate()) : value;
        if (typeId == QMetaType::QDateTime)
            return value.toDateTime().date();
        break;
    case RemoteMethod::Arg::Boolean:
        if (typeId == QMetaType::Bool)
            return value;
        break;
    case RemoteMethod::Arg::Integer:
        if (typeId == QMetaType::LongLong || typeId == QMetaType::Int)
            return value.toLongLong();
        break;
    }
    throw RpcError(Kav::Rpc::InvalidParams, QStringLiteral("argument %1 must be %2, not %3")
                                                .arg(position + 1)
                                                .arg(argTypeName(type), Kav::Rpc::typeName(value)));
}

QVariantList checkedArgs(const RemoteMethod& method, const RpcRequest& request)
{
    if (!request.paramsRefusal.isEmpty())
        throw RpcError(Kav::Rpc::InvalidParams, request.paramsRefusal);
    if (request.args.size() != method.args.size())
        throw RpcError(Kav::Rpc::InvalidParams, QStringLiteral("%1 takes %2 arguments, not %3")
                                                    .arg(method.name)
                                                    .arg(method.args.size())
                                                    .arg(request.args.size()));
    QVariantList args;
    for (int i = 0; i < method.args.size(); ++i)
        args.append(checkedArg(request.args[i], method.args[i], i));
    return args;
}

QString outcome(const RpcResponse& response)
{
    // A text answer is logged: a refusal of the method, or what a housekeeping task did.
    constexpr int kLoggedTextLength = 200;
    if (!response.isError()) {
        const bool isText = response.value.metaType().id() == QMetaType::QString;
        const QString text = isText ? response.value.toString().left(kLoggedTextLength) : QString();
        return text.isEmpty() ? QStringLiteral("ok") : QStringLiteral("ok: %1").arg(text);
    }
    return QStringLiteral("error %1 %2").arg(response.errorCode).arg(response.errorMessage);
}

} // namespace

CallDispatcher::CallDispatcher(const ModuleRegistry& modules, const QString& databaseUrl, int threads,
                               QObject* parent)
    : QObject(parent), m_modules(modules), m_databaseUrl(databaseUrl),
      m_engine(Kav::DatabaseUrl::parse(databaseUrl).engine())
{
    m_pool.setMaxThreadCount(threads);
    // Workers keep their database connections for the life of the server.
    m_pool.setExpiryTimeout(-1);
}

CallDispatcher::~CallDispatcher()
{
    m_pool.waitForDone();
}

void CallDispatcher::waitForWorkers()
{
    m_pool.waitForDone();
}

void CallDispatcher::dispatch(const RpcRequest& request, const QString& object, const QString& peer,
                              std::shared_ptr<std::atomic_bool> clientGone, Answer answer)
{
    const QString label = object.isEmpty() ? request.method : object + QLatin1Char('.') + request.method;
    ++m_inFlight;
    const RemoteDataModule* module = m_modules.find(object);
    const RemoteMethod* method = module ? module->method(request.method) : nullptr;
    if (!method) {
        const QString message = module ? QStringLiteral("%1 has no method %2").arg(object, request.method)
                                       : QStringLiteral("no server object named \"%1\"").arg(object);
        finish(peer, label, 0, RpcResponse::failure(request.id, Kav::Rpc::MethodNotFound, message), answer);
        return;
    }
    try {
        RpcRequest checked = request;
        checked.args = checkedArgs(*method, request);
        start(*method, checked, peer, label, std::move(clientGone), std::move(answer));
    } catch (const RpcError& error) {
        finish(peer, label, 0, RpcResponse::failure(request.id, error.code(), error.message()), answer);
    }
}

void CallDispatcher::runTask(const QString& label, const RemoteMethod& task)
{
    ++m_inFlight;
    start(task, RpcRequest(), QString(), label, nullptr, nullptr);
}

void CallDispatcher::start(const RemoteMethod& method, const RpcRequest& request, const QString& peer,
                           const QString& label, std::shared_ptr<std::atomic_bool> clientGone, Answer answer)
{
    enqueue(clientGone.get(), [this, method, request, clientGone, peer, label, answer] {
        if (clientGone && clientGone->load()) {
            // Queued behind other calls until its client had gone: nobody waits for it.
            QMetaObject::invokeMethod(
                this,
                [=, this] {
                    jobDone();
                    finish(peer, label, 0,
                           RpcResponse::failure(request.id, Kav::Rpc::ServerStopping, kNotStarted), answer);
                },
                Qt::QueuedConnection);
            return;
        }
        QElapsedTimer timer;
        timer.start();
        const RpcResponse response = execute(method, request, clientGone);
        const qint64 ms = timer.elapsed();
        QMetaObject::invokeMethod(
            this,
            [=, this] {
                afterSettling([=, this] {
                    jobDone();
                    if (clientGone && clientGone->load() && !request.isNotification())
                        finishUndelivered(method, peer, label, ms, response, answer);
                    else
                        finish(peer, label, ms, response, answer);
                });
            },
            Qt::QueuedConnection);
    });
}

void CallDispatcher::enqueue(const void* owner, std::function<void()> job)
{
    QQueue<std::function<void()>>& queue = m_waiting[owner];
    if (queue.isEmpty())
        m_turns.append(owner);
    queue.enqueue(std::move(job));
    startWaiting();
}

void CallDispatcher::startWaiting()
{
    while (m_running < m_pool.maxThreadCount() && !m_turns.isEmpty()) {
        const void* owner = m_turns.takeFirst();
        QQueue<std::function<void()>>& queue = m_waiting[owner];
        std::function<void()> job = queue.dequeue();
        if (queue.isEmpty())
            m_waiting.remove(owner);
        else
            m_turns.append(owner); // its next call waits for the others' turns
        ++m_running;
        m_pool.start(std::move(job));
    }
}

void CallDispatcher::afterSettling(const std::function<void()>& step)
{
    if (m_stallWatch && m_stallWatch->isSettling())
        QTimer::singleShot(StallWatch::kSettleMs, this, [this, step] { afterSettling(step); });
    else
        step();
}

void CallDispatcher::jobDone()
{
    --m_running;
    startWaiting();
}

void CallDispatcher::finishUndelivered(const RemoteMethod& method, const QString& peer, const QString& label,
                                       qint64 ms, const RpcResponse& response, const Answer& answer)
{
    const bool undoes = !response.isError() && method.undoUndelivered;
    CallLog::write(CallLog::line(peer, label, ms,
                                 QStringLiteral("not delivered: the client closed its connection (%1)")
                                     .arg(undoes               ? QStringLiteral("its work is undone")
                                          : response.isError() ? outcome(response)
                                                               : QStringLiteral("kept"))));
    if (undoes)
        undo(method, label, response.value);
    if (answer)
        answer(response); // sends nothing: lets the connection count the call as done
    if (--m_inFlight == 0)
        emit idle();
}

void CallDispatcher::undo(const RemoteMethod& method, const QString& label, const QVariant& answer)
{
    RemoteMethod undoing;
    undoing.transaction = RemoteMethod::Transaction::Write;
    undoing.run = [method, answer](CallContext& context) {
        method.undoUndelivered(context, answer);
        return QVariant();
    };
    runTask(label + QStringLiteral(" (undo)"), undoing);
}

RpcResponse CallDispatcher::execute(const RemoteMethod& method, const RpcRequest& request,
                                    const std::shared_ptr<std::atomic_bool>& clientGone) const
{
    try {
        QSqlDatabase db = ThreadDatabase::forCurrentThread(m_databaseUrl);
        CallContext context(db, m_engine, request.args, clientGone);
        QVariant value;
        if (method.transaction == RemoteMethod::Transaction::Own) {
            value = method.run(context);
        } else {
            Kav::DbTransaction transaction(context.db(),
                                           method.transaction == RemoteMethod::Transaction::Write
                                               ? Kav::DbTransaction::Kind::Write
                                               : Kav::DbTransaction::Kind::Read);
            value = method.run(context);
            context.commit(transaction);
        }
        QMap<int, QVariant> refs;
        for (const int position : request.byRef)
            refs.insert(position, context.args().at(position));
        return RpcResponse::success(request.id, value, refs);
    } catch (const RpcError& error) {
        return RpcResponse::failure(request.id, error.code(), error.message());
    } catch (const Kav::Exception& error) {
        return RpcResponse::failure(request.id, Kav::Rpc::ApplicationError, error.message());
    } catch (const std::exception& error) {
        return RpcResponse::failure(request.id, Kav::Rpc::InternalError,
                                    QString::fromLocal8Bit(error.what()));
    }
}

void CallDispatcher::finish(const QString& peer, const QString& method, qint64 ms,
                            const RpcResponse& response, const Answer& answer)
{
    CallLog::write(CallLog::line(peer, method, ms, outcome(response)));
    if (answer)
        answer(response);
    if (--m_inFlight == 0)
        emit idle();
}

} // namespace KavServer
