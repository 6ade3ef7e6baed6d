#include "DbTransaction.h"

#include "KavException.h"

#include <QMutex>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// SQLite admits one writer at a time: writers of this process queue here instead of spinning
// on the file lock.
QMutex& sqliteWriters()
{
    static QMutex mutex;
    return mutex;
}

} // namespace

namespace Kav {

DbTransaction::DbTransaction(const QSqlDatabase& db, Kind kind) : m_db(db), m_kind(kind)
{
    if (isSqlite()) {
        if (m_kind == Kind::Write) {
            sqliteWriters().lock();
            m_holdsWriterLock = true;
        }
        try {
            execute(m_kind == Kind::Write ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
        } catch (...) {
            releaseWriterTurn();
            throw;
        }
    } else if (!m_db.transaction()) {
        throw Kav::Exception(QStringLiteral("cannot begin a transaction: %1").arg(m_db.lastError().text()));
    }
    m_open = true;
}

DbTransaction::~DbTransaction()
{
    if (m_open) {
        try {
            rollback();
        } catch (const Kav::Exception&) {
            // The connection is already broken; the database drops the transaction itself.
        }
    }
    releaseWriterTurn();
}

void DbTransaction::releaseWriterTurn()
{
    if (m_holdsWriterLock)
        sqliteWriters().unlock();
    m_holdsWriterLock = false;
}

bool DbTransaction::isSqlite() const
{
    return m_db.driver()->dbmsType() == QSqlDriver::SQLite;
}

void DbTransaction::execute(const QString& statement)
{
    QSqlQuery query(m_db);
    if (!query.exec(statement))
        throw Kav::Exception(QStringLiteral("%1 failed: %2").arg(statement, query.lastError().text()));
}

void DbTransaction::commit()
{
    if (!m_open)
        return;
    m_open = false;
    // Ended either way: the next writer need not wait for this object to go.
    const auto nextWriter = qScopeGuard([this] { releaseWriterTurn(); });
    if (isSqlite()) {
        try {
            execute(QStringLiteral("COMMIT"));
        } catch (const Kav::Exception&) {
            // A failed COMMIT leaves SQLite's transaction open: end it before reporting.
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    } else if (!m_db.commit())
        throw Kav::Exception(QStringLiteral("cannot commit: %1").arg(m_db.lastError().text()));
}

void DbTransaction::rollback()
{
    if (!m_open)
        return;
    m_open = false;
    const auto nextWriter = qScopeGuard([this] { releaseWriterTurn(); });
    if (isSqlite())
        execute(QStringLiteral("ROLLBACK"));
    else if (!m_db.rollback())
        throw Kav::Exception(QStringLiteral("cannot roll back: %1").arg(m_db.lastError().text()));
}

} // namespace Kav
