#pragma once
// The host's shared database module as screens and queries call it by name: each function
// works on the current client context's module (Kav::DatabaseModule, which says how the
// connection is kept fit), so what runs inside a client reaches that client's database. Every
// function throws Kav::Exception when no client context is current.

#include "DatabaseModule.h"
#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QString>

class dtmDBGeral
{
public:
    // The Qt connection name of the current context's module, unique in the process.
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

    // Runs a read under the reconnect rule (Kav::DatabaseModule::read).
    template <typename Statements> static auto read(Statements&& statements)
    {
        return module().read(std::forward<Statements>(statements));
    }

    // The end of a user command (the dispatcher calls it on the current context's module).
    static void commandEnded();

private:
    static Kav::DatabaseModule& module();
};
