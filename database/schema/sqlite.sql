-- SQLite: NVL, NVLSTR and the table-valued PARAM are not stored in the file; every connection
-- registers them when it opens (Kav::installSqliteDialect). Write-ahead logging lets the client
-- read while the application server writes the prepared report data.
PRAGMA journal_mode = WAL;
-- The application server's expiry sweep gives the pages of the prepared data it removed back to
-- the file system (PRAGMA incremental_vacuum): the file does not keep the size of its busiest day.
PRAGMA auto_vacuum = INCREMENTAL;
VACUUM;
