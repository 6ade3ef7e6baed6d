#pragma once
// A grouping of consecutive rows that share the value of an expression, with the bands printed
// before and after each run of such rows.

#include "ReportBand.h"

#include <optional>

namespace Qr {

struct ReportGroup
{
    QString name;
    Qr::Expression key;
    bool pageBreak = false; // each group after the first starts on a new page
    // The header is printed again at the top of a page the group continues on (its expressions
    // see continued() true there).
    bool repeatHeader = false;
    std::optional<ReportBand> header;
    std::optional<ReportBand> footer;
};

} // namespace Qr
