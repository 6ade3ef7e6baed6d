#pragma once
// A list printed after the summary: one band per row of the list's own query (the notes of a
// prepared report, say), which runs with the report's parameters.

#include "ReportBand.h"

#include <QString>

namespace Qr {

struct ReportList
{
    QString name;
    QString query;
    ReportBand band; // its expressions see the list's row, its aggregates the list's rows
};

} // namespace Qr
