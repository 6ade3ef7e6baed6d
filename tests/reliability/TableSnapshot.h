#pragma once
// What a set of tables holds at one moment, row by row, so that a test can tell whether
// anything in them changed.

#include <QMap>
#include <QSqlDatabase>
#include <QStringList>

class TableSnapshot
{
public:
    // Reads every row of `tables`. Throws Kav::Exception when a table cannot be read.
    TableSnapshot(const QSqlDatabase& db, const QStringList& tables);

    // The tables whose rows differ between the two snapshots.
    QStringList changedTables(const TableSnapshot& later) const;

private:
    QMap<QString, QStringList> m_rows; // table -> its rows as text, sorted
};
