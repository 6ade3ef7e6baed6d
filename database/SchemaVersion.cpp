#include "SchemaVersion.h"

#include "DatabaseUrl.h"
#include "KavException.h"
#include "SchemaScript.h"
#include "SchemaScripts.h"

#include <QSqlError>
#include <QSqlQuery>

namespace KavDb {

namespace {

constexpr int NoSchema = 0;

void throwIfAny(const QString& problem)
{
    if (!problem.isEmpty())
        throw Kav::Exception(problem);
}

} // namespace

SchemaVersion::SchemaVersion(QSqlDatabase db) : m_db(std::move(db)) {}

QStringList SchemaVersion::existingTables(const QSqlDatabase& db)
{
    QStringList tables;
    for (const QString& table : db.tables(QSql::Tables))
        tables << table.toUpper();
    return tables;
}

bool SchemaVersion::hasTable() const
{
    return existingTables(m_db).contains(Table);
}

int SchemaVersion::read() const
{
    const QStringList existing = existingTables(m_db);
    if (existing.contains(Table)) {
        QSqlQuery query(m_db);
        if (!query.exec(QStringLiteral("SELECT MAX(NRVERSAO) FROM ") + Table) || !query.next())
            throw Kav::Exception(
                QStringLiteral("Não foi possível ler a versão do esquema: %1").arg(query.lastError().text()));
        // No row yet: an upgrade on Firebird stopped between creating the table and its first step.
        if (!query.value(0).isNull())
            return query.value(0).toInt();
    }
    const QStringList firstTables = SchemaScripts::firstVersionTables();
    QStringList missing;
    for (const QString& table : firstTables)
        if (!existing.contains(table))
            missing << table;
    if (missing.isEmpty())
        return SchemaScripts::FirstVersion;
    if (missing.size() == firstTables.size())
        return NoSchema;
    throw Kav::Exception(
        QStringLiteral("O banco de dados %1 tem um esquema incompleto: faltam as tabelas %2.")
            .arg(address(), missing.join(QLatin1String(", "))));
}

void SchemaVersion::createTable()
{
    executeStatement(m_db, QStringLiteral("CREATE TABLE %1 (NRVERSAO INTEGER NOT NULL)").arg(Table));
}

void SchemaVersion::write(int version)
{
    executeStatement(m_db, QStringLiteral("DELETE FROM ") + Table);
    QSqlQuery insert(m_db);
    insert.prepare(QStringLiteral("INSERT INTO %1 (NRVERSAO) VALUES (?)").arg(Table));
    insert.addBindValue(version);
    if (!insert.exec())
        throw Kav::Exception(QStringLiteral("Não foi possível registrar a versão %1 do esquema: %2")
                                 .arg(version)
                                 .arg(insert.lastError().text()));
}

QString SchemaVersion::mismatch() const
{
    return problem(true);
}

QString SchemaVersion::refusal() const
{
    return problem(false);
}

QString SchemaVersion::problem(bool schemaRequired) const
{
    int version = NoSchema;
    int current = NoSchema;
    try {
        version = read();
        current = SchemaScripts::currentVersion();
    } catch (const Kav::Exception& error) {
        return error.message();
    }
    if (version == NoSchema)
        return schemaRequired
                   ? QStringLiteral("O banco de dados %1 não tem o esquema. Crie-o com: kavdb create %1")
                         .arg(address())
                   : QString();
    if (version < current)
        return QStringLiteral("O banco de dados %1 está na versão %2 do esquema e este programa usa a versão "
                              "%3. Atualize-o, sem perder dados, com: kavdb upgrade %1")
            .arg(address())
            .arg(version)
            .arg(current);
    if (version > current)
        return QStringLiteral("O banco de dados %1 está na versão %2 do esquema, mais nova que a versão %3 "
                              "deste programa. Use a versão do programa que acompanha esse banco.")
            .arg(address())
            .arg(version)
            .arg(current);
    return {};
}

void SchemaVersion::requireCurrent() const
{
    throwIfAny(mismatch());
}

void SchemaVersion::requireUsable() const
{
    throwIfAny(refusal());
}

QString SchemaVersion::address() const
{
    return Kav::DatabaseUrl::of(m_db).toDisplayString();
}

} // namespace KavDb
