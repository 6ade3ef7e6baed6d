#pragma once
// The decimals a layout prints its measured values with, so that an output that carries the
// values themselves (the spreadsheet) shows them rounded as the page does, once, from the same
// value: those of the number pattern its detail bands use most, in a field's format or in an
// expression's format(value, 'pattern'). A layout that formats no number prints the default.

#include "ReportLayout.h"

#include <QString>

namespace Qr {

class ReportDecimals
{
public:
    static int of(const ReportLayout& layout);
    // Decimals a pattern shows at most: "#,##0.0" one, "0.##" two, "0" none.
    static int ofPattern(const QString& pattern);
};

} // namespace Qr
