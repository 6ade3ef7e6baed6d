#include "DatabaseConnection.h"

#include "DatabaseUrl.h"
#include "KavException.h"
#include "SqliteDialect.h"

#include <QFileInfo>
#include <QSqlError>

namespace Kav {

namespace {

// A busy SQLite file (the server writing while the client reads) is waited for, not refused.
constexpr int SqliteBusyTimeoutMs = 5000;

QString connectOptions(const DatabaseUrl& url)
{
    switch (url.engine()) {
    case DatabaseUrl::Engine::SQLite:
        return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(SqliteBusyTimeoutMs);
    case DatabaseUrl::Engine::Firebird:
        return QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"); // keeps accented text intact
    case DatabaseUrl::Engine::PostgreSQL:
        return QStringLiteral("client_encoding=UTF8");
    default:
        return {};
    }
}

[[noreturn]] void fail(const DatabaseUrl& url, const QString& reason)
{
    throw Exception(QStringLiteral("Cannot open the database %1: %2").arg(url.toDisplayString(), reason));
}

} // namespace

QSqlDatabase DatabaseConnection::open(const QString& url, const QString& connectionName, OpenMode mode)
{
    return open(DatabaseUrl::parse(url), connectionName, mode);
}

QSqlDatabase DatabaseConnection::open(const DatabaseUrl& url, const QString& connectionName, OpenMode mode)
{
    close(connectionName);
    if (!QSqlDatabase::isDriverAvailable(url.driverName()))
        fail(url, QStringLiteral("the Qt driver %1 is not installed").arg(url.driverName()));
    if (url.engine() == DatabaseUrl::Engine::SQLite && mode == OpenMode::MustExist &&
        url.database() != QLatin1String(":memory:") && !QFileInfo(url.database()).isFile())
        fail(url, QStringLiteral("the file does not exist"));

    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(url.driverName(), connectionName);
        db.setDatabaseName(url.database());
        db.setHostName(url.host());
        if (url.port() > 0)
            db.setPort(url.port());
        db.setUserName(url.user());
        db.setPassword(url.password());
        db.setConnectOptions(connectOptions(url));
        if (db.open()) {
            try {
                if (url.engine() == DatabaseUrl::Engine::SQLite)
                    installSqliteDialect(db);
                return db;
            } catch (const Exception& e) {
                error = e.message();
            }
        } else {
            error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    fail(url, error.isEmpty() ? QStringLiteral("unknown error") : error);
}

void DatabaseConnection::close(const QString& connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

} // namespace Kav
