-- SQLite: NVL, NVLSTR and the table-valued PARAM are not stored in the file; every connection
-- registers them when it opens (Kav::installSqliteDialect). Write-ahead logging lets the client
-- read while the application server writes the prepared report data.
PRAGMA journal_mode = WAL;
