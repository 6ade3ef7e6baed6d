-- Schema version 4: the keys of prepared report data from a sequence where the engine has one.
-- Taking a number from a sequence never waits on another session's transaction, where advancing
-- the row of GERADOR did: a server stopped between that update and its commit held every other
-- server's key. SQLite keeps GERADOR (it has one writer at a time anyway).

-- engine: QPSQL
CREATE SEQUENCE IF NOT EXISTS NUTRICARD_KEY;
-- The sequence goes on from the last number GERADOR handed out.
SELECT setval('NUTRICARD_KEY', COALESCE((SELECT MAX(NRVALOR) FROM GERADOR WHERE NMGERADOR = 'NUTRICARD'), 0) + 1, false);

-- engine: QIBASE
-- A new sequence cannot be used in the transaction that creates it: the key generator moves it
-- past GERADOR's last number the first time it finds it behind (and past any key in use).
CREATE OR ALTER SEQUENCE NUTRICARD_KEY START WITH 0;
