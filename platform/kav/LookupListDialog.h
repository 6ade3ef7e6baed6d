#pragma once
// The modal list a lookup button shows: the rows of its data set, searched by typing, picked
// with Enter or a double click, left with Escape.

#include "ListRows.h"

#include <QDialog>

class QLabel;
class QTableWidget;

class LookupListDialog : public QDialog
{
    Q_OBJECT
public:
    LookupListDialog(const QString& title, const Kav::ListRows& rows, QWidget* parent = nullptr);

    // The row (from 0) under the cursor; -1 when the list is empty.
    int currentRow() const;
    // What has been typed so far for the incremental search.
    const QString& typedText() const { return m_typed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Moves to the first row whose text in the search column starts with `text`; false (and no
    // move) when there is none.
    bool searchFor(const QString& text);
    void showTyped();

    QTableWidget* m_table;
    QLabel* m_search;
    QString m_typed;
};
