#include "dtmDBGeral.h"

#include "DatabaseConnection.h"
#include "DatabaseUrl.h"
#include "Events.h"
#include "KavException.h"
#include "SqliteOpenFiles.h"
#include "SystemFailure.h"

#include <QSqlQuery>

namespace {

const QString kDatabaseDown =
    QStringLiteral("Não foi possível conectar ao banco de dados. Verifique se o servidor de banco de dados "
                   "está no ar e tente novamente em instantes.");

struct SharedState
{
    QString url;
    bool embedded = false; // an SQLite file
    QString file;          // the SQLite file
    bool verifyBeforeUse = false;
};

SharedState& state()
{
    static SharedState shared;
    return shared;
}

QSqlDatabase current()
{
    return QSqlDatabase::database(dtmDBGeral::connectionName(), false);
}

bool hasLiveHandle()
{
    return QSqlDatabase::contains(dtmDBGeral::connectionName()) && current().isOpen();
}

// Opens the connection again; the reason it could not is for the log, the user gets words.
void reopen()
{
    try {
        Kav::DatabaseConnection::open(state().url, dtmDBGeral::connectionName());
    } catch (const Kav::Exception& error) {
        Kav::failWithDetail(kDatabaseDown, error.message());
    }
}

// Whether the database server still answers on this connection.
bool answers(const QSqlDatabase& db)
{
    const QString probe = Kav::dialectOf(db) == Kav::SqlDialect::InterBase
                              ? QStringLiteral("SELECT 1 FROM RDB$DATABASE")
                              : QStringLiteral("SELECT 1");
    QSqlQuery query(db);
    return query.exec(probe) && query.next();
}

} // namespace

QString dtmDBGeral::connectionName()
{
    return QStringLiteral("dtmDBGeral");
}

void dtmDBGeral::open(const QString& url)
{
    static const bool listening = [] {
        Kav::addCommandEndListener(&dtmDBGeral::commandEnded);
        return true;
    }();
    Q_UNUSED(listening);
    const Kav::DatabaseUrl parsed = Kav::DatabaseUrl::parse(url);
    Kav::DatabaseConnection::open(parsed, connectionName());
    state().url = url;
    state().embedded = parsed.engine() == Kav::DatabaseUrl::Engine::SQLite;
    state().file = parsed.database();
    state().verifyBeforeUse = false;
}

void dtmDBGeral::close()
{
    Kav::DatabaseConnection::close(connectionName());
    state() = SharedState{};
}

bool dtmDBGeral::isOpen()
{
    return !state().url.isEmpty();
}

QSqlDatabase dtmDBGeral::database()
{
    if (!isOpen())
        throw Kav::Exception(QStringLiteral("A conexão com o banco de dados não foi aberta."));
    SharedState& shared = state();
    if (!hasLiveHandle())
        reopen();
    else if (shared.embedded && Kav::SqliteOpenFiles::anyDeleted(shared.file))
        reopen();
    else if (!shared.embedded && shared.verifyBeforeUse && !answers(current()))
        reopen();
    shared.verifyBeforeUse = false;
    return current();
}

Kav::SqlDialect dtmDBGeral::dialect()
{
    return Kav::dialectOf(database());
}

bool dtmDBGeral::reconnectAfterFailure()
{
    if (!isOpen() || state().embedded || (hasLiveHandle() && answers(current())))
        return false;
    reopen();
    return true;
}

void dtmDBGeral::commandEnded()
{
    if (!isOpen())
        return;
    if (state().embedded)
        Kav::DatabaseConnection::close(connectionName());
    else
        state().verifyBeforeUse = true;
}
