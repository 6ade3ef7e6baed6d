#pragma once
// The modal multi-selection list: one check box per row of a data set, with select-all and
// clear-all, answering the keys of the checked rows in the list's order. The check boxes stand in
// the rows' mark column when the data set has one, else in the first column.

#include "ListRows.h"

#include <QDialog>
#include <QSet>

class QLabel;
class QTableWidget;
class QTableWidgetItem;

class CheckListDialog : public QDialog
{
    Q_OBJECT
public:
    // `rows.keys` identifies the rows; those in `checked` start checked.
    CheckListDialog(const QString& title, const Kav::ListRows& rows, const QSet<QString>& checked,
                    QWidget* parent = nullptr);

    QStringList checkedKeys() const;
    int checkColumn() const;
    // A line under the list saying what the choice leads to; empty shows none.
    void setNote(const QString& note);
    QString note() const;
    void setAllChecked(bool checked);
    // Space toggles the row under the cursor.
    void toggleCurrent();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMarkAsCheckColumn();
    QTableWidgetItem* checkItem(int row) const;

    QTableWidget* m_table;
    QStringList m_keys;
    int m_checkColumn;
    QLabel* m_note;
};
