#pragma once
// Keeps the one who waits for a report query informed while it runs: between fetched rows and,
// on SQLite, inside the engine's own work (a grouping query returns its first row only when
// most of the work is done). The caller's hook is told at most every kBeatMs, so a window can
// paint, count and hear its "Cancelar"; when the hook answers false the statement is stopped
// where it is and ReportCancelled is raised, with no rows returned.
//
// The hook runs inside the statement: it must not use the query's connection.

#include <QElapsedTimer>
#include <QSqlDatabase>

#include <exception>
#include <functional>

struct sqlite3;

namespace Qr {

class QueryHeartbeat
{
public:
    // True to go on.
    using KeepGoing = std::function<bool()>;

    // How often at most the hook is told: often enough for a counter in seconds and a prompt
    // cancel, seldom enough not to slow the query.
    static constexpr int kBeatMs = 50;

    // Installs itself on a SQLite connection for its lifetime; on the other engines only the
    // rows beat (their drivers wait for a query's first row in one blocking call).
    QueryHeartbeat(const QSqlDatabase& database, KeepGoing keepGoing);
    ~QueryHeartbeat();
    QueryHeartbeat(const QueryHeartbeat&) = delete;
    QueryHeartbeat& operator=(const QueryHeartbeat&) = delete;

    // Between rows: tells the hook when due; raises ReportCancelled when it declines.
    void beat();
    // After a statement failed: ReportCancelled when the failure was this heartbeat stopping it
    // (or the hook's own exception), else nothing.
    void rethrowStop() const;

private:
    // Tells the hook when due; false once it declined or failed.
    bool due();
    static int sqliteProgress(void* self);

    KeepGoing m_keepGoing;
    sqlite3* m_sqlite = nullptr;
    QElapsedTimer m_sinceBeat;
    bool m_stopped = false;
    std::exception_ptr m_fault;
};

} // namespace Qr
