#pragma once
// The embedded demo database in a temporary folder, which each test's client context opens as
// its shared connection, and the session of a user logged in to one of its central kitchens:
// what the screen needs to start.

#include "Kavenso.h"

#include <QString>
#include <QTemporaryDir>

class DemoDatabase
{
public:
    // The central kitchen the session is logged in to.
    static inline const QString Central = QStringLiteral("0010");

    DemoDatabase();

    // A user logged in to Central.
    static Kavenso::Session centralSession();

    // Makes the schema and the demo rows in a new database, as `kavdb create` and `kavdb demo`
    // do. Returns what went wrong; empty when made.
    static QString make(const QString& url);

    DemoDatabase(const DemoDatabase&) = delete;
    DemoDatabase& operator=(const DemoDatabase&) = delete;

    // Empty unless the database could not be made.
    const QString& error() const { return m_error; }

    // Opens it as the current client context's shared connection.
    void openShared() const;

private:
    QTemporaryDir m_dir;
    QString m_url;
    QString m_error;
};
