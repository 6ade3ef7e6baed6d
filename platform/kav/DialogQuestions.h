#pragma once
// The questions the dialog service asks in types, with what a person needs to answer them and
// what an answer given beforehand is checked against.

#include "ListRows.h"

#include <functional>
#include <optional>
#include <QMarginsF>
#include <QPageLayout>
#include <QSet>
#include <QStringList>

class QWidget;

namespace Kav {

// Pick one row of a lookup list.
struct RowQuestion
{
    QWidget* parent = nullptr;
    QString title;
    ListRows rows;
    // The first row whose field reads the value, hidden fields included; nullopt when none does.
    std::function<std::optional<int>(const QString& fieldName, const QString& value)> rowWhere;
};

// Check any number of rows of a multi-selection list, each named by its key (`rows.keys`).
struct KeysQuestion
{
    QWidget* parent = nullptr;
    QString title;
    ListRows rows;
    QSet<QString> checked; // the keys checked when the list opens
    QString note;          // what the choice leads to, shown under the list; empty for none
};

// A report's paper, orientation and margins.
struct PageChoice
{
    QString paper; // one of the question's paper names
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm;

    bool operator==(const PageChoice&) const = default;
};

struct PageQuestion
{
    QString title;
    QStringList papers; // the paper names offered
    double maxMarginMm = 0;
    // The dialog a person answers, opened with the current choice; nullopt when cancelled.
    std::function<std::optional<PageChoice>()> askPerson;
};

// Work in an editing window, kept or dropped when it closes.
struct EditQuestion
{
    QString title;
    // Runs the window for a person: whether the work is kept.
    std::function<bool()> askPerson;
    // What the window's trial preview does (an answer given beforehand can ask for it).
    std::function<void()> tryOut;
};

} // namespace Kav
