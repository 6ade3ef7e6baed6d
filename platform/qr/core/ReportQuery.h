#pragma once
// Runs a layout's query on a database connection with the parameters bound by position (never
// pasted into the text) and reads every row into memory.

#include "ReportData.h"

#include <QString>

class QSqlDatabase;

namespace Qr {

class TParams;

class ReportQuery
{
public:
    // Kav::Exception with the database's text when the query fails; a parameter the query uses
    // but the collection lacks is an error too.
    static ReportData run(const QSqlDatabase& database, const QString& sql, const TParams& params);
};

} // namespace Qr
