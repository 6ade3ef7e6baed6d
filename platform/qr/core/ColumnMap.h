#pragma once
// The columns of one run's query by name, case-insensitive: where a layout expression finds the
// value of a column it names in that run's rows. Made per run, so a layout once read is never
// changed by running it and can be run with any column order, on any thread.

#include <QHash>
#include <QString>
#include <QStringList>

namespace Qr {

class ColumnMap
{
public:
    explicit ColumnMap(const QStringList& columns);

    // The form of a column name that indexOf() takes (expressions keep their names in it).
    static QString keyOf(const QString& name) { return name.toUpper(); }
    // Position of the column whose key is `key`; -1 when the query has none.
    int indexOf(const QString& key) const { return m_positions.value(key, -1); }

private:
    QHash<QString, int> m_positions;
};

} // namespace Qr
