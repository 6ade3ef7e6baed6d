#pragma once
// Runs a layout's query on a database connection with the parameters bound by position (never
// pasted into the text) and reads every row into memory.

#include "ReportData.h"

#include <functional>
#include <QString>

class QSqlDatabase;

namespace Qr {

class TParams;

class ReportQuery
{
public:
    // Told now and then while the query runs (QueryHeartbeat); false stops it.
    using KeepGoing = std::function<bool()>;

    // Kav::Exception with the database's text when the query fails; a parameter the query uses
    // but the collection lacks is an error too. ReportCancelled when `keepGoing` declined.
    static ReportData run(const QSqlDatabase& database, const QString& sql, const TParams& params,
                          const KeepGoing& keepGoing = {});
};

} // namespace Qr
