#pragma once
// Writes a report as CSV for a spreadsheet: one record per printed line, the texts left to right
// as fields separated by ";" (the comma is the decimal separator here), a chart as one record per
// bar; the page frame (title, page and column headers) only from the first page, page footers
// never. UTF-8 with a byte-order mark, so spreadsheets read the accents.

#include "ReportRenderer.h"

#include <QString>

namespace Qr {

// Written first in a CSV file, so that spreadsheets read it as UTF-8.
inline constexpr char Utf8ByteOrderMark[] = "\xEF\xBB\xBF";

class CsvRenderer : public ReportRenderer
{
public:
    bool render(const PageModel& model, const RenderTarget& target) override;
    static QString toCsv(const PageModel& model);
    static QString quoted(const QString& field);
};

} // namespace Qr
