#pragma once
// A list printed after the summary: one band per row of the list's own query (the notes of a
// prepared report, say), which runs with the report's parameters.

#include "Expression.h"
#include "ReportBand.h"

#include <QString>

namespace Qr {

struct ReportList
{
    QString name;
    QString query;
    ReportBand band; // its expressions see the list's row, its aggregates the list's rows
    // The first row is the list's heading: printed again, with continued() true, at the top of
    // each page the list goes on to.
    bool repeatHeader = false;
    // When set, the rows with the same value of it print as one band (in the order each value
    // first appears): its columns read the first of them, its aggregates all of them.
    Expression groupBy;
};

} // namespace Qr
