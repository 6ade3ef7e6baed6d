#include "dtmDBGeral.h"

#include "DatabaseConnection.h"
#include "KavException.h"

QString dtmDBGeral::connectionName()
{
    return QStringLiteral("dtmDBGeral");
}

void dtmDBGeral::open(const QString& url)
{
    Kav::DatabaseConnection::open(url, connectionName());
}

void dtmDBGeral::close()
{
    Kav::DatabaseConnection::close(connectionName());
}

bool dtmDBGeral::isOpen()
{
    return QSqlDatabase::contains(connectionName()) &&
           QSqlDatabase::database(connectionName(), false).isOpen();
}

QSqlDatabase dtmDBGeral::database()
{
    if (!isOpen())
        throw Kav::Exception(QStringLiteral("The shared database connection is not open."));
    return QSqlDatabase::database(connectionName(), false);
}

Kav::SqlDialect dtmDBGeral::dialect()
{
    return Kav::dialectOf(database());
}
