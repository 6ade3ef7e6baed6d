#include "QueryHeartbeat.h"

#include "ReportCancelled.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace Qr {

namespace {

// Virtual machine steps between two looks at the clock: about a microsecond of work, against a
// look of some nanoseconds. A grouping query spends few steps on each row it reads.
constexpr int kSqliteStepsPerLook = 100;

sqlite3* sqliteHandle(const QSqlDatabase& database)
{
    if (!database.isValid() || !database.driver())
        return nullptr;
    const QVariant handle = database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.data());
}

} // namespace

QueryHeartbeat::QueryHeartbeat(const QSqlDatabase& database, KeepGoing keepGoing)
    : m_keepGoing(std::move(keepGoing))
{
    m_sinceBeat.start();
    if (!m_keepGoing)
        return;
    m_sqlite = sqliteHandle(database);
    if (m_sqlite)
        sqlite3_progress_handler(m_sqlite, kSqliteStepsPerLook, &QueryHeartbeat::sqliteProgress, this);
}

QueryHeartbeat::~QueryHeartbeat()
{
    if (m_sqlite)
        sqlite3_progress_handler(m_sqlite, 0, nullptr, nullptr);
}

bool QueryHeartbeat::due()
{
    if (m_stopped)
        return false;
    if (!m_keepGoing || m_sinceBeat.elapsed() < kBeatMs)
        return true;
    try {
        m_stopped = !m_keepGoing();
    } catch (...) {
        // Never through SQLite's C frames: kept and raised once the statement has stopped.
        m_fault = std::current_exception();
        m_stopped = true;
    }
    m_sinceBeat.restart();
    return !m_stopped;
}

int QueryHeartbeat::sqliteProgress(void* self)
{
    // Non-zero interrupts the statement (SQLITE_INTERRUPT).
    return static_cast<QueryHeartbeat*>(self)->due() ? 0 : 1;
}

void QueryHeartbeat::beat()
{
    if (!due())
        rethrowStop();
}

void QueryHeartbeat::rethrowStop() const
{
    if (m_fault)
        std::rethrow_exception(m_fault);
    if (m_stopped)
        throw ReportCancelled();
}

} // namespace Qr
