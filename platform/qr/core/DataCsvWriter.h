#pragma once
// Writes rows of a query as a spreadsheet reads them: one header row of the column names (lower
// case), one line per row, fields apart by commas, texts quoted where they must be, dates in ISO
// form, numbers with a point and no grouping, UTF-8 without a byte-order mark.

#include "ReportData.h"

#include <QString>

namespace Qr {

class DataCsvWriter
{
public:
    static QString toCsv(const ReportData& data);
    // Kav::Exception when the file cannot be written.
    static void writeFile(const ReportData& data, const QString& fileName);

    static QString field(const QVariant& value);
};

} // namespace Qr
