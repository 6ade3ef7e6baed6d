#pragma once
// The host's shared database module: the one connection every lookup query of the client runs on,
// opened from the configured URL, with its SQL dialect.

#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QString>

class dtmDBGeral
{
public:
    // The Qt connection name queries use when they are given no other connection.
    static QString connectionName();

    // Opens (or reopens) the shared connection. Throws Kav::Exception when it cannot.
    static void open(const QString& url);
    static void close();
    static bool isOpen();

    // The open connection; throws Kav::Exception when open() has not succeeded.
    static QSqlDatabase database();
    static Kav::SqlDialect dialect();
};
