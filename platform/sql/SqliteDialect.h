#pragma once
// Gives an SQLite connection the dialect objects the plain and InterBase statements call:
// NVL and NVLSTR (first argument unless it is NULL) and the table-valued PARAM(value), one row
// whose column PARAM holds the value, NULL included.

class QSqlDatabase;
struct sqlite3;

namespace Kav {

// SQLite keeps functions per connection: call after every open. Throws Kav::Exception when the
// connection is not an open SQLite one or a registration fails.
void installSqliteDialect(QSqlDatabase& db);

// The native connection under an open SQLite connection, for what Qt's driver does slowly.
// Throws Kav::Exception for any other connection.
sqlite3* sqliteHandle(const QSqlDatabase& db);

} // namespace Kav
