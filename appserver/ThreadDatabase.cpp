#include "ThreadDatabase.h"

#include "DatabaseConnection.h"
#include "DatabaseUrl.h"

#include <atomic>
#include <QSqlQuery>
#include <QThreadStorage>

namespace KavServer {

namespace {

struct ThreadConnection
{
    QString name;
    QString url;
    Kav::DatabaseUrl::Engine engine = Kav::DatabaseUrl::Engine::SQLite;

    void close()
    {
        if (!name.isEmpty())
            Kav::DatabaseConnection::close(name);
        name.clear();
        url.clear();
    }
    ~ThreadConnection() { close(); }
};

// QThreadStorage, not thread_local: Qt deletes it while the worker thread finishes, before
// QThread::wait() returns. A thread_local destructor runs after that, and could still be closing
// the connection while the process exits and Qt SQL's registry is gone (a crash at exit).
QThreadStorage<ThreadConnection*> threadConnections;

ThreadConnection& threadConnection()
{
    if (!threadConnections.hasLocalData())
        threadConnections.setLocalData(new ThreadConnection);
    return *threadConnections.localData();
}

// A database server may have restarted or dropped the connection while it sat unused: ask it
// before every call, so that the first call after an outage opens a fresh connection instead
// of failing on the dead one. An embedded database file has no such failure.
bool stillAnswers(const QSqlDatabase& db, Kav::DatabaseUrl::Engine engine)
{
    if (engine == Kav::DatabaseUrl::Engine::SQLite)
        return true;
    QSqlQuery probe(db);
    return probe.exec(engine == Kav::DatabaseUrl::Engine::Firebird
                          ? QStringLiteral("SELECT 1 FROM RDB$DATABASE")
                          : QStringLiteral("SELECT 1"));
}

// A session of the server never waits on a lock for long, nor keeps a transaction open while doing
// nothing: a server stopped in the middle of a call (a paused machine, a storage stall) must not
// hold the others up beyond these. The call that waits fails with the database's reason.
constexpr auto kLockTimeout = "10s";
constexpr auto kIdleInTransactionTimeout = "30s";

void limitWaits(const QSqlDatabase& db, Kav::DatabaseUrl::Engine engine)
{
    if (engine != Kav::DatabaseUrl::Engine::PostgreSQL)
        return;
    QSqlQuery setting(db);
    // Settings, which PostgreSQL does not prepare; the values are the constants above.
    setting.exec(QStringLiteral("SET lock_timeout = '%1'").arg(QLatin1String(kLockTimeout)));
    setting.exec(QStringLiteral("SET idle_in_transaction_session_timeout = '%1'")
                     .arg(QLatin1String(kIdleInTransactionTimeout)));
}

QString newConnectionName()
{
    static std::atomic_int counter{0};
    return QStringLiteral("kavserver-worker-%1").arg(++counter);
}

} // namespace

QSqlDatabase ThreadDatabase::forCurrentThread(const QString& url)
{
    ThreadConnection& connection = threadConnection();
    if (!connection.name.isEmpty() && connection.url == url) {
        QSqlDatabase db = QSqlDatabase::database(connection.name, false);
        if (stillAnswers(db, connection.engine))
            return db;
    }
    connection.close();
    const QString name = newConnectionName();
    const Kav::DatabaseUrl parsed = Kav::DatabaseUrl::parse(url);
    QSqlDatabase db = Kav::DatabaseConnection::open(parsed, name);
    limitWaits(db, parsed.engine());
    connection.name = name;
    connection.url = url;
    connection.engine = parsed.engine();
    return db;
}

void ThreadDatabase::reset()
{
    threadConnection().close();
}

} // namespace KavServer
