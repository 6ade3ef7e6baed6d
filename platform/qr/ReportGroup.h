#pragma once
// A grouping of consecutive rows that share the value of an expression, with the bands printed
// before and after each run of such rows.

#include "ReportBand.h"

#include <optional>

struct ReportGroup
{
    QString name;
    ::Expression key;
    bool pageBreak = false; // each group after the first starts on a new page
    std::optional<ReportBand> header;
    std::optional<ReportBand> footer;
};
