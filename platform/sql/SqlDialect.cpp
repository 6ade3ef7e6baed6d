#include "SqlDialect.h"

#include "KavException.h"

#include <QSqlDatabase>

namespace Kav {

SqlDialect dialectForDriver(const QString& driverName)
{
    if (driverName == QLatin1String("QSQLITE") || driverName == QLatin1String("QPSQL"))
        return SqlDialect::Plain;
    if (driverName == QLatin1String("QIBASE"))
        return SqlDialect::InterBase;
    if (driverName == QLatin1String("QOCI"))
        return SqlDialect::Oracle;
    if (driverName == QLatin1String("QODBC") || driverName == QLatin1String("QTDS"))
        return SqlDialect::MSSQL;
    throw Exception(
        QStringLiteral("No SQL dialect is known for the database driver \"%1\".").arg(driverName));
}

SqlDialect dialectOf(const QSqlDatabase& db)
{
    return dialectForDriver(db.driverName());
}

QString dialectName(SqlDialect dialect)
{
    switch (dialect) {
    case SqlDialect::Plain:
        return QStringLiteral("plain");
    case SqlDialect::Oracle:
        return QStringLiteral("Oracle");
    case SqlDialect::MSSQL:
        return QStringLiteral("MS SQL Server");
    case SqlDialect::InterBase:
        return QStringLiteral("InterBase");
    }
    return {};
}

} // namespace Kav
