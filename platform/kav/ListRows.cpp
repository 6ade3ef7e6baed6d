#include "ListRows.h"

#include "TDataSet.h"
#include "TField.h"
#include "TStringField.h"

#include <QDate>
#include <QHeaderView>
#include <QTableWidget>

namespace Kav {

namespace {
// Room for the cell's margins beside the characters of the display width.
constexpr int kCellPadding = 12;
// The most characters a display width may ask of a column: a name declared a hundred wide would
// push the code and the dialog's edge apart and hide the names behind a scroll bar. Longer texts
// still get their width from the texts themselves.
constexpr int kWidestDisplayChars = 40;
const QString kIsoDate = QStringLiteral("yyyy-MM-dd");
const QString kFormDate = QStringLiteral("dd/MM/yyyy");

// A date that travels as text (a data packet's "2025-03-01") is shown, and so searched, as the
// form's date boxes show dates.
QString cellText(const TField* field)
{
    const QString text = field->AsString();
    if (field->dataType() != FieldDef::Type::String || text.size() != kIsoDate.size())
        return text;
    const QDate date = QDate::fromString(text, kIsoDate);
    return date.isValid() ? date.toString(kFormDate) : text;
}
bool isMarkField(const TField* field)
{
    return qobject_cast<const TStringField*>(field) && field->ReadOnly() && field->Size() == 1;
}
} // namespace

int ListRows::markColumn() const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].isMark)
            return i;
    }
    return -1;
}

int ListRows::columnOf(const QString& fieldName) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

ListRows readListRows(TDataSet* dataSet, const QString& keyField)
{
    ListRows rows;
    const QList<TField*> fields = dataSet->visibleFields();
    for (const TField* field : fields)
        rows.columns.append(
            {field->FieldName(), field->DisplayLabel(), field->DisplayWidth(), isMarkField(field)});
    const TField* key = keyField.isEmpty() ? nullptr : dataSet->FieldByName(keyField);
    const int current = dataSet->RecNo();
    for (int recNo = 1; recNo <= dataSet->RecordCount(); ++recNo) {
        dataSet->setRecNo(recNo);
        QStringList cells;
        for (const TField* field : fields)
            cells.append(cellText(field));
        rows.cells.append(cells);
        rows.recNos.append(recNo);
        if (key)
            rows.keys.append(key->AsString());
    }
    if (current > 0)
        dataSet->setRecNo(current);
    return rows;
}

void fillListTable(QTableWidget* table, const ListRows& rows)
{
    table->setColumnCount(int(rows.columns.size()));
    table->setRowCount(int(rows.cells.size()));
    QStringList labels;
    for (const ListColumn& column : rows.columns)
        labels.append(column.label.isEmpty() ? column.fieldName : column.label);
    table->setHorizontalHeaderLabels(labels);
    for (int row = 0; row < rows.cells.size(); ++row) {
        for (int column = 0; column < rows.columns.size(); ++column) {
            auto* item = new QTableWidgetItem(rows.cells[row].value(column));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            table->setItem(row, column, item);
        }
    }
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    // Each column as wide as its texts and its title, and at least its display width: a code is
    // never squashed and a title never cut.
    const int charWidth = table->fontMetrics().averageCharWidth();
    for (int column = 0; column < rows.columns.size(); ++column) {
        table->resizeColumnToContents(column);
        const int displayWidth =
            std::min(rows.columns[column].displayWidth, kWidestDisplayChars) * charWidth + kCellPadding;
        table->setColumnWidth(column, std::max(table->columnWidth(column), displayWidth));
    }
}

} // namespace Kav
