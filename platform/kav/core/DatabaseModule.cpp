#include "DatabaseModule.h"

#include "DatabaseConnection.h"
#include "DatabaseUrl.h"
#include "KavException.h"
#include "SqliteOpenFiles.h"
#include "SystemFailure.h"

#include <atomic>
#include <QSqlQuery>

namespace Kav {

namespace {

const QString kDatabaseDown =
    QStringLiteral("Não foi possível conectar ao banco de dados. Verifique se o servidor de banco de dados "
                   "está no ar e tente novamente em instantes.");

// Qt's connection registry is process-wide: each module takes a name no other module of the
// process ever had, so ending one context cannot close the connection of another.
QString uniqueConnectionName()
{
    static std::atomic<int> made{0};
    return QStringLiteral("dtmDBGeral-%1").arg(++made);
}

// Whether the database server still answers on this connection.
bool answers(const QSqlDatabase& db)
{
    const QString probe = dialectOf(db) == SqlDialect::InterBase
                              ? QStringLiteral("SELECT 1 FROM RDB$DATABASE")
                              : QStringLiteral("SELECT 1");
    QSqlQuery query(db);
    return query.exec(probe) && query.next();
}

} // namespace

DatabaseModule::DatabaseModule() : m_connectionName(uniqueConnectionName()) {}

DatabaseModule::~DatabaseModule()
{
    DatabaseConnection::close(m_connectionName);
}

void DatabaseModule::open(const QString& url)
{
    const DatabaseUrl parsed = DatabaseUrl::parse(url);
    DatabaseConnection::open(parsed, m_connectionName);
    m_url = url;
    m_embedded = parsed.engine() == DatabaseUrl::Engine::SQLite;
    m_file = parsed.database();
    // The host opens at start-up and may sit idle long before the first command: that command's
    // first statement is probed like any other command's.
    m_verifyBeforeUse = true;
}

void DatabaseModule::close()
{
    DatabaseConnection::close(m_connectionName);
    m_url.clear();
    m_embedded = false;
    m_file.clear();
    m_verifyBeforeUse = false;
}

QSqlDatabase DatabaseModule::registered() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool DatabaseModule::hasLiveHandle() const
{
    return QSqlDatabase::contains(m_connectionName) && registered().isOpen();
}

// Opens the connection again; the reason it could not is for the log, the user gets words.
void DatabaseModule::reopen()
{
    try {
        DatabaseConnection::open(m_url, m_connectionName);
    } catch (const Exception& error) {
        failWithDetail(kDatabaseDown, error.message());
    }
}

QSqlDatabase DatabaseModule::database()
{
    if (!isOpen())
        throw Exception(QStringLiteral("A conexão com o banco de dados não foi aberta."));
    if (!hasLiveHandle())
        reopen();
    else if (m_embedded && SqliteOpenFiles::anyDeleted(m_file))
        reopen();
    else if (!m_embedded && m_verifyBeforeUse && !answers(registered()))
        reopen();
    m_verifyBeforeUse = false;
    return registered();
}

SqlDialect DatabaseModule::dialect()
{
    return dialectOf(database());
}

bool DatabaseModule::reconnectAfterFailure()
{
    if (!isOpen() || m_embedded || (hasLiveHandle() && answers(registered())))
        return false;
    reopen();
    return true;
}

void DatabaseModule::commandEnded()
{
    if (!isOpen())
        return;
    if (m_embedded)
        DatabaseConnection::close(m_connectionName);
    else
        m_verifyBeforeUse = true;
}

} // namespace Kav
