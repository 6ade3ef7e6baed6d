#include "TableSnapshot.h"

#include "KavException.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// A unit separator keeps "a|b" + "c" apart from "a" + "b|c".
constexpr QChar kCellSeparator(0x1f);

} // namespace

TableSnapshot::TableSnapshot(const QSqlDatabase& db, const QStringList& tables)
{
    for (const QString& table : tables) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT * FROM %1").arg(table)))
            throw Kav::Exception(QStringLiteral("%1: %2").arg(table, query.lastError().text()));
        // Read once: the Firebird driver answers record() with a query of the catalogue per
        // column, which per cell made a snapshot take seconds on a busy server.
        const int columns = query.record().count();
        QStringList rows;
        while (query.next()) {
            QStringList cells;
            for (int i = 0; i < columns; ++i)
                cells << (query.isNull(i) ? QStringLiteral("<null>") : query.value(i).toString());
            rows << cells.join(kCellSeparator);
        }
        rows.sort();
        m_rows.insert(table, rows);
    }
}

QStringList TableSnapshot::changedTables(const TableSnapshot& later) const
{
    QStringList changed;
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it)
        if (later.m_rows.value(it.key()) != it.value())
            changed << it.key();
    return changed;
}
