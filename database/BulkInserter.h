#pragma once
// Inserts many rows into one table quickly: several rows per statement, as a multi-row VALUES
// list (SQLite, PostgreSQL) or an EXECUTE BLOCK of inserts (Firebird).

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

namespace KavDb {

class BulkInserter
{
public:
    BulkInserter(QSqlDatabase db, const QString& table, const QStringList& columns);
    // Flushing is the caller's job: an error in a destructor could not be reported.
    ~BulkInserter() = default;

    // One value per column; null is an invalid QVariant. Throws Kav::Exception on a database error.
    void add(const QVariantList& row);
    // Writes what is pending.
    void flush();

    qint64 rowsWritten() const { return m_written; }

private:
    void write(const QList<QVariantList>& rows);
    void writeBlock(const QList<QVariantList>& rows);
    QString statementFor(int rowCount) const;

    QSqlDatabase m_db;
    QString m_table;
    QStringList m_columns;
    int m_rowsPerStatement;
    QList<QVariantList> m_pending;
    QSqlQuery m_fullBatch;
    bool m_fullBatchPrepared = false;
    qint64 m_written = 0;
};

} // namespace KavDb
