#include "BulkInserter.h"

#include "KavException.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>

namespace KavDb {

namespace {

// SQLite 3.32+ allows 32766 bound values per statement, PostgreSQL 65535; 200 rows of even a
// wide table stay far below both, and larger batches gain little.
constexpr int RowsPerMultiRowStatement = 200;

// Firebird has no multi-row VALUES; an EXECUTE BLOCK of single-row inserts, with the values
// written as literals by the driver's own quoting, saves a round trip per row. A block may name
// at most 256 tables (one per insert); larger blocks than this gain little.
constexpr int RowsPerFirebirdBlock = 100;

bool isFirebird(const QSqlDatabase& db)
{
    return db.driverName() == QLatin1String("QIBASE");
}

int rowsPerStatement(const QSqlDatabase& db)
{
    return isFirebird(db) ? RowsPerFirebirdBlock : RowsPerMultiRowStatement;
}

} // namespace

BulkInserter::BulkInserter(QSqlDatabase db, const QString& table, const QStringList& columns)
    : m_db(std::move(db)), m_table(table), m_columns(columns), m_rowsPerStatement(rowsPerStatement(m_db)),
      m_fullBatch(m_db)
{}

QString BulkInserter::statementFor(int rowCount) const
{
    QStringList marks(m_columns.size(), QStringLiteral("?"));
    const QString oneRow = QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    QStringList rows(rowCount, oneRow);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(m_table, m_columns.join(QLatin1Char(',')), rows.join(QLatin1Char(',')));
}

void BulkInserter::add(const QVariantList& row)
{
    if (row.size() != m_columns.size())
        throw Kav::Exception(QStringLiteral("%1: %2 values for %3 columns.")
                                 .arg(m_table)
                                 .arg(row.size())
                                 .arg(m_columns.size()));
    m_pending << row;
    if (m_pending.size() >= m_rowsPerStatement)
        flush();
}

void BulkInserter::flush()
{
    if (m_pending.isEmpty())
        return;
    write(m_pending);
    m_written += m_pending.size();
    m_pending.clear();
}

void BulkInserter::writeBlock(const QList<QVariantList>& rows)
{
    const QString insert =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (").arg(m_table, m_columns.join(QLatin1Char(',')));
    QString block = QStringLiteral("EXECUTE BLOCK AS BEGIN\n");
    for (const QVariantList& row : rows) {
        QStringList literals;
        for (const QVariant& value : row) {
            QSqlField field(QString(), value.metaType());
            field.setValue(value);
            literals << m_db.driver()->formatValue(field);
        }
        block += insert + literals.join(QLatin1Char(',')) + QStringLiteral(");\n");
    }
    block += QStringLiteral("END");
    QSqlQuery query(m_db);
    if (!query.exec(block))
        throw Kav::Exception(
            QStringLiteral("Cannot insert into %1: %2").arg(m_table, query.lastError().text()));
}

void BulkInserter::write(const QList<QVariantList>& rows)
{
    if (isFirebird(m_db)) {
        writeBlock(rows);
        return;
    }
    const bool full = rows.size() == m_rowsPerStatement;
    QSqlQuery partial(m_db);
    QSqlQuery& query = full ? m_fullBatch : partial;
    if (!full || !m_fullBatchPrepared) {
        if (!query.prepare(statementFor(int(rows.size()))))
            throw Kav::Exception(
                QStringLiteral("Cannot insert into %1: %2").arg(m_table, query.lastError().text()));
        m_fullBatchPrepared = m_fullBatchPrepared || full;
    }
    int position = 0;
    for (const QVariantList& row : rows)
        for (const QVariant& value : row)
            query.bindValue(position++, value);
    if (!query.exec())
        throw Kav::Exception(
            QStringLiteral("Cannot insert into %1: %2").arg(m_table, query.lastError().text()));
}

} // namespace KavDb
