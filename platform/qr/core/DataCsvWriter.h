#pragma once
// Writes rows of a query as a Brazilian spreadsheet reads them on opening: one header row of the
// column names (lower case), one line per row, fields apart by ";", every text quoted (codes keep
// their zeros where quoted fields are read as texts), numbers unquoted with a decimal comma and no
// grouping, dates in ISO form (2025-03-03), empty fields for nulls, UTF-8 with a byte-order mark
// (so the accents are read right without asking).

#include "ReportData.h"

#include <QString>

namespace Qr {

class DataCsvWriter
{
public:
    // The text of the file, without its byte-order mark.
    static QString toCsv(const ReportData& data);
    // Kav::Exception when the file cannot be written.
    static void writeFile(const ReportData& data, const QString& fileName);

    static QString field(const QVariant& value);
};

} // namespace Qr
