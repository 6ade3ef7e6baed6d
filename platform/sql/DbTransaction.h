#pragma once
// One database transaction, rolled back unless committed. On SQLite a writing transaction takes
// the database's write lock when it begins (and one writer of this process at a time), so two
// writers never meet half-way and fail with "database is locked".

#include <QSqlDatabase>
#include <QString>

namespace Kav {

class DbTransaction
{
public:
    enum class Kind { Read, Write };

    // Throws Kav::Exception with the driver's reason when the transaction cannot begin.
    DbTransaction(const QSqlDatabase& db, Kind kind);
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;

    void commit();
    void rollback();

private:
    void execute(const QString& statement);
    void releaseWriterTurn();
    bool isSqlite() const;

    QSqlDatabase m_db; // a handle on the caller's connection
    Kind m_kind;
    bool m_open = false;
    bool m_holdsWriterLock = false;
};

} // namespace Kav
