#pragma once
// A client's shared database module: the one connection every lookup query and report of that
// client runs on, opened from the configured URL, with its SQL dialect. Each client context owns
// one (dtmDBGeral reaches the current context's); the connection is registered with Qt under a
// name of its own, so two modules in one process never share or close each other's connection.
//
// The connection is checked before it is handed out, so a statement never runs on a dead one:
// - SQLite: the connection is let go at the end of every user command (lost POSIX locks cannot
//   outlive a command, and none is held while the screen waits for the user), and it is opened
//   anew before a statement when the files it holds were deleted under it (a server that
//   stopped believing itself the last user). See SqliteOpenFiles.
// - PostgreSQL, Firebird: before the first statement after opening and of every command, and
//   after a statement failed, a probe tells whether the server still answers; a lost connection
//   is opened again, and while the database is down the command ends with one message in
//   Portuguese. Every read of the client goes through read(), which runs it once more on the
//   reopened connection.

#include "KavException.h"
#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QString>

namespace Kav {

class DatabaseModule
{
public:
    DatabaseModule();
    // Closes the connection: nothing of a client outlives its context.
    ~DatabaseModule();
    DatabaseModule(const DatabaseModule&) = delete;
    DatabaseModule& operator=(const DatabaseModule&) = delete;

    // This module's Qt connection name, unique in the process.
    QString connectionName() const { return m_connectionName; }

    // Opens the connection now, so that a wrong configuration is told at start, and keeps its
    // URL for reopening. Throws Kav::Exception when it cannot.
    void open(const QString& url);
    void close();
    // True between open() and close().
    bool isOpen() const { return !m_url.isEmpty(); }

    // A connection fit for the next statement, opened again when found lost or stale. Throws
    // Kav::Exception when open() has not succeeded or the database cannot be reached.
    QSqlDatabase database();
    SqlDialect dialect();

    // Called after a statement failed: true when the connection had been lost and is open
    // again, so that a read may run once more. Writes are never run again.
    bool reconnectAfterFailure();

    // Runs `statements` (a callable taking the QSqlDatabase) under the reconnect rule: when it
    // throws Kav::Exception on a connection found lost, the connection is opened again and it
    // runs once more. Only for reads: a write must not run twice.
    template <typename Statements> auto read(Statements&& statements) -> decltype(statements(QSqlDatabase()))
    {
        try {
            return statements(database());
        } catch (const Exception&) {
            if (!reconnectAfterFailure())
                throw;
        }
        return statements(database());
    }

    // The end of a user command (the context's dispatcher calls it).
    void commandEnded();

private:
    QSqlDatabase registered() const;
    bool hasLiveHandle() const;
    void reopen();

    const QString m_connectionName;
    QString m_url;
    bool m_embedded = false; // an SQLite file
    QString m_file;          // the SQLite file
    bool m_verifyBeforeUse = false;
};

} // namespace Kav
