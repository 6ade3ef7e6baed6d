#pragma once
// The SQL dialects a multi-dialect query carries a statement for, and which one a connection speaks.

#include <QString>

class QSqlDatabase;

namespace Kav {

// Plain: SQLite and PostgreSQL (NVL and the table-valued PARAM are provided by the database).
// InterBase: Firebird. Oracle and MSSQL: their own servers, reached through their Qt drivers.
enum class SqlDialect { Plain, Oracle, MSSQL, InterBase };

// The dialect of a Qt SQL driver ("QSQLITE", "QPSQL", "QIBASE", "QOCI", "QODBC", "QTDS").
// Throws Kav::Exception for a driver no dialect is known for.
SqlDialect dialectForDriver(const QString& driverName);
SqlDialect dialectOf(const QSqlDatabase& db);

// "plain", "Oracle", "MS SQL Server", "InterBase": for messages.
QString dialectName(SqlDialect dialect);

} // namespace Kav
