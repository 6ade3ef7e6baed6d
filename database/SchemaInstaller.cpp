#include "SchemaInstaller.h"

#include "DbTransaction.h"
#include "KavException.h"
#include "SchemaScript.h"
#include "SchemaScripts.h"
#include "SchemaUpgrader.h"
#include "SchemaVersion.h"

#include <QSqlError>
#include <QSqlQuery>

namespace KavDb {

SchemaInstaller::SchemaInstaller(QSqlDatabase db) : m_db(std::move(db)) {}

QStringList SchemaInstaller::tables()
{
    return SchemaScripts::currentTables();
}

QStringList SchemaInstaller::presentTables() const
{
    const QStringList existing = SchemaVersion::existingTables(m_db);
    QStringList present;
    for (const QString& table : tables())
        if (existing.contains(table))
            present << table;
    return present;
}

void SchemaInstaller::create(bool replace)
{
    // Refuses an unknown engine before any change.
    const QStringList engine = SchemaScripts::engineStatements(m_db.driverName());
    QStringList present = presentTables();
    if (!present.isEmpty() && !replace)
        throw Kav::Exception(
            QStringLiteral("The database already has the schema (tables %1). Use --replace to "
                           "drop and recreate it, losing its rows, or \"kavdb upgrade\" to bring it to "
                           "this version keeping them.")
                .arg(present.join(QLatin1String(", "))));
    if (SchemaVersion(m_db).hasTable())
        present << SchemaVersion::Table;
    // Each step in one transaction: Firebird would otherwise commit, and wait for the disk,
    // after every statement. The engine's own statements run outside, as SQLite's journal
    // setting must.
    if (!present.isEmpty()) {
        Kav::DbTransaction drop(m_db, Kav::DbTransaction::Kind::Write);
        for (auto it = present.crbegin(); it != present.crend(); ++it)
            executeStatement(m_db, QStringLiteral("DROP TABLE ") + *it);
        drop.commit();
    }
    Kav::DbTransaction tables(m_db, Kav::DbTransaction::Kind::Write);
    for (const QString& statement : SchemaScripts::firstVersionStatements())
        executeStatement(m_db, statement);
    tables.commit();
    SchemaUpgrader(m_db).upgrade();
    for (const QString& statement : engine)
        executeStatement(m_db, statement);
}

void SchemaInstaller::requireSchema() const
{
    SchemaVersion(m_db).requireCurrent();
}

void SchemaInstaller::requireNoData(bool replace) const
{
    requireSchema();
    QSqlQuery count(m_db);
    if (!count.exec(QStringLiteral("SELECT COUNT(*) FROM FILIAL")) || !count.next())
        throw Kav::Exception(QStringLiteral("Cannot read the branches: %1").arg(count.lastError().text()));
    if (count.value(0).toInt() > 0 && !replace)
        throw Kav::Exception(
            QStringLiteral("The database already has data. Use --replace to empty it first."));
}

void SchemaInstaller::emptyTables()
{
    const QStringList all = tables();
    for (auto it = all.crbegin(); it != all.crend(); ++it)
        executeStatement(m_db, QStringLiteral("DELETE FROM ") + *it);
}

} // namespace KavDb
