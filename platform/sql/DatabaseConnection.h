#pragma once
// Opens a named Qt SQL connection from a database URL, ready for the multi-dialect queries: the
// engine's driver, UTF-8 text, and on SQLite the dialect functions.

#include <QSqlDatabase>
#include <QString>

namespace Kav {

class DatabaseUrl;

class DatabaseConnection
{
public:
    // MustExist refuses an SQLite file that is not there yet, so a mistyped path is an error
    // instead of a new empty database; the database tool creates files with CreateIfMissing.
    enum class OpenMode { MustExist, CreateIfMissing };

    // Replaces any connection of the same name. Throws Kav::Exception with the URL (without its
    // password) and the driver's reason when the driver is missing or the database unreachable.
    static QSqlDatabase open(const DatabaseUrl& url, const QString& connectionName,
                             OpenMode mode = OpenMode::MustExist);
    static QSqlDatabase open(const QString& url, const QString& connectionName,
                             OpenMode mode = OpenMode::MustExist);

    // Closes and forgets the named connection; nothing happens when there is none.
    static void close(const QString& connectionName);
};

} // namespace Kav
