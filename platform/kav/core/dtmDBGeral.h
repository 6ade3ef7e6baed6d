#pragma once
// The host's shared database module: the one connection every lookup query and report of the
// client runs on, opened from the configured URL, with its SQL dialect.
//
// The connection is checked before it is handed out, so a statement never runs on a dead one:
// - SQLite: the connection is let go at the end of every user command (lost POSIX locks cannot
//   outlive a command, and none is held while the screen waits for the user), and it is opened
//   anew before a statement when the files it holds were deleted under it (a server that
//   stopped believing itself the last user). See SqliteOpenFiles.
// - PostgreSQL, Firebird: before the first statement of a command, and after a statement failed,
//   a probe tells whether the server still answers; a lost connection is opened again, and
//   while the database is down the command ends with one message in Portuguese.

#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QString>

class dtmDBGeral
{
public:
    // The Qt connection name queries use when they are given no other connection.
    static QString connectionName();

    // Opens the shared connection now, so that a wrong configuration is told at start, and
    // keeps its URL for reopening. Throws Kav::Exception when it cannot.
    static void open(const QString& url);
    static void close();
    // True between open() and close().
    static bool isOpen();

    // A connection fit for the next statement, opened again when found lost or stale. Throws
    // Kav::Exception when open() has not succeeded or the database cannot be reached.
    static QSqlDatabase database();
    static Kav::SqlDialect dialect();

    // Called after a statement failed: true when the connection had been lost and is open
    // again, so that a read may run once more. Writes are never run again.
    static bool reconnectAfterFailure();

    // The end of a user command (called by the dispatcher).
    static void commandEnded();
};
