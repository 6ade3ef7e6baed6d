#include "dtmDBGeral.h"

#include "ClientCoreContext.h"

// The current client's: the module's functions are called by name by the screens' code, with no
// object to reach a context through.
Kav::DatabaseModule& dtmDBGeral::module()
{
    return Kav::ClientCoreContext::current().database();
}

QString dtmDBGeral::connectionName()
{
    return module().connectionName();
}

void dtmDBGeral::open(const QString& url)
{
    module().open(url);
}

void dtmDBGeral::close()
{
    module().close();
}

bool dtmDBGeral::isOpen()
{
    return module().isOpen();
}

QSqlDatabase dtmDBGeral::database()
{
    return module().database();
}

Kav::SqlDialect dtmDBGeral::dialect()
{
    return module().dialect();
}

bool dtmDBGeral::reconnectAfterFailure()
{
    return module().reconnectAfterFailure();
}

void dtmDBGeral::commandEnded()
{
    module().commandEnded();
}
