#include "SchemaInstaller.h"

#include "KavException.h"
#include "SchemaScript.h"
#include "Transaction.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace KavDb {

namespace {

QString readResource(const QString& name)
{
    QFile file(QStringLiteral(":/kavdb/schema/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw Kav::Exception(QStringLiteral("The schema script %1 is missing from the program.").arg(name));
    return QString::fromUtf8(file.readAll());
}

QStringList tableStatements()
{
    return splitSqlScript(readResource(QStringLiteral("tables.sql"))) +
           splitSqlScript(readResource(QStringLiteral("upgrades/0002-references.sql")));
}

} // namespace

SchemaInstaller::SchemaInstaller(QSqlDatabase db) : m_db(std::move(db)) {}

QStringList SchemaInstaller::tables()
{
    return createdTables(tableStatements());
}

QStringList SchemaInstaller::presentTables() const
{
    QStringList existing;
    for (const QString& table : m_db.tables(QSql::Tables))
        existing << table.toUpper();
    QStringList present;
    for (const QString& table : tables())
        if (existing.contains(table))
            present << table;
    return present;
}

QStringList SchemaInstaller::engineStatements() const
{
    const QString driver = m_db.driverName();
    if (driver == QLatin1String("QSQLITE"))
        return splitSqlScript(readResource(QStringLiteral("sqlite.sql")));
    if (driver == QLatin1String("QPSQL"))
        return splitSqlScript(readResource(QStringLiteral("postgresql.sql")));
    if (driver == QLatin1String("QIBASE"))
        return splitSqlScript(readResource(QStringLiteral("firebird.sql")));
    throw Kav::Exception(
        QStringLiteral("The schema is not available for the database driver %1.").arg(driver));
}

void SchemaInstaller::execute(const QString& statement)
{
    QSqlQuery query(m_db);
    if (!query.exec(statement))
        throw Kav::Exception(QStringLiteral("The statement failed: %1\nStatement: %2")
                                 .arg(query.lastError().text(), statement.left(200)));
}

void SchemaInstaller::create(bool replace)
{
    const QStringList engine = engineStatements(); // refuses an unknown engine before any change
    const QStringList present = presentTables();
    if (!present.isEmpty() && !replace)
        throw Kav::Exception(
            QStringLiteral("The database already has the schema (tables %1). Use --replace to "
                           "drop and recreate it.")
                .arg(present.join(QLatin1String(", "))));
    // Each step in one transaction: Firebird would otherwise commit, and wait for the disk,
    // after every statement. The engine's own statements run outside, as SQLite's journal
    // setting must.
    if (!present.isEmpty()) {
        Transaction drop(m_db);
        for (auto it = present.crbegin(); it != present.crend(); ++it)
            execute(QStringLiteral("DROP TABLE ") + *it);
        drop.commit();
    }
    Transaction tables(m_db);
    for (const QString& statement : tableStatements())
        execute(statement);
    tables.commit();
    for (const QString& statement : engine)
        execute(statement);
}

void SchemaInstaller::requireSchema() const
{
    if (presentTables().size() != tables().size())
        throw Kav::Exception(
            QStringLiteral("The database has no complete schema: run \"kavdb create\" first."));
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
        execute(QStringLiteral("DELETE FROM ") + *it);
}

} // namespace KavDb
