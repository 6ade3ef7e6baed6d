#pragma once
// Confirms that the data the application server prepared for a report can be read by this
// client before the report runs: a report without its data is an error, never an empty page.

#include <QString>

class PreparedReportData
{
public:
    // Throws Kav::Exception with `missing` (its "%s" the key) when no header of the prepared
    // data under `key` is found on the shared connection.
    static void requirePresent(const QString& key, const QString& missing);
};
