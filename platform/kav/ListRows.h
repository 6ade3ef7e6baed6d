#pragma once
// A snapshot of a data set's visible fields as the lookup and multi-selection lists show them:
// column labels and display widths, one row of texts per record, and where each record was.

#include <QList>
#include <QString>
#include <QStringList>

class QTableWidget;
class TDataSet;

namespace Kav {

struct ListColumn
{
    QString fieldName;
    QString label;
    int displayWidth = 0; // characters; 0 lets the list size the column to its texts
    // A record's mark (a read-only one-character text): a multi-selection list shows it as its
    // check box rather than as a column of its own.
    bool isMark = false;
};

struct ListRows
{
    QList<ListColumn> columns;
    QList<QStringList> cells; // one text per column
    QList<int> recNos;        // the record number (from 1) of each row in its data set
    QStringList keys;         // the key field's text of each row, when a key was asked for

    bool isEmpty() const { return cells.isEmpty(); }
    // Column index of a field by name (case-insensitive); -1 when not shown.
    int columnOf(const QString& fieldName) const;
    // Index of the first mark column; -1 when there is none.
    int markColumn() const;
};

// Reads every row of the open `dataSet`, with the texts of `keyField` when one is named (it may
// be a hidden field). The data set's current row is left where it was.
ListRows readListRows(TDataSet* dataSet, const QString& keyField = QString());

// Fills `table` (one column per list column, no editing, whole-row selection).
void fillListTable(QTableWidget* table, const ListRows& rows);

} // namespace Kav
