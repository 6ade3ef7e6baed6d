#pragma once
// Gives an SQLite connection the dialect objects the plain and InterBase statements call:
// NVL and NVLSTR (first argument unless it is NULL) and the table-valued PARAM(value), one row
// whose column PARAM holds the value, NULL included.

class QSqlDatabase;

namespace Kav {

// SQLite keeps functions per connection: call after every open. Throws Kav::Exception when the
// connection is not an open SQLite one or a registration fails.
void installSqliteDialect(QSqlDatabase& db);

} // namespace Kav
