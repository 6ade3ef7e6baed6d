#pragma once
// Writes a report as a spreadsheet workbook (.xlsx, through libxlsxwriter) an analyst opens as
// it is: a sheet "Dados" with the rows of the layout's data export in the shape of its CSV (one
// header row, one record per row, header frozen, auto-filter on), texts as texts (codes keep
// their leading zeros), numbers as numbers shown with the decimals the report prints, dates as
// dates; and a sheet "Relatório" with the report's heading and notes.

#include "ReportData.h"
#include "ReportHeading.h"

#include <QString>

namespace Qr {

class XlsxWriter
{
public:
    // Numbers that are not whole are shown with at most `decimals` (those the report prints:
    // ReportDecimals). Replaces `fileName` only once the workbook is complete; Kav::Exception
    // when it cannot be written.
    static void writeFile(const ReportData& data, const ReportHeading& heading, int decimals,
                          const QString& fileName);

    // Decimals a number column is shown with: as many as its values need once rounded to
    // `decimals`, trailing zeros dropped.
    static int decimalsOf(const ReportData& data, int column, int decimals);
};

} // namespace Qr
