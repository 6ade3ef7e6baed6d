#include "SchemaUpgrader.h"

#include "DbTransaction.h"
#include "KavException.h"
#include "SchemaScript.h"
#include "SchemaVersion.h"

namespace KavDb {

namespace {

// Firebird applies what DDL creates when the transaction commits: until then the other
// statements of that transaction cannot use it ("Table unknown").
bool newObjectsNeedCommit(const QSqlDatabase& db)
{
    return db.driverName() == QLatin1String("QIBASE");
}

} // namespace

QString SchemaUpgrade::summary() const
{
    if (from == to)
        return QStringLiteral("O banco já está na versão atual do esquema (%1): nada a fazer.").arg(to);
    return QStringLiteral("Esquema atualizado da versão %1 para a versão %2, sem perder dados.")
        .arg(from)
        .arg(to);
}

SchemaUpgrader::SchemaUpgrader(QSqlDatabase db) : m_db(std::move(db)) {}

SchemaUpgrade SchemaUpgrader::upgrade()
{
    const SchemaVersion version(m_db);
    const SchemaUpgrade upgrade{version.read(), SchemaScripts::currentVersion()};
    if (upgrade.from < SchemaScripts::FirstVersion || upgrade.from > upgrade.to)
        throw Kav::Exception(version.mismatch() + QStringLiteral(" Nada foi alterado."));
    if (upgrade.from == upgrade.to)
        return upgrade;
    QList<SchemaStep> pending = SchemaScripts::steps();
    pending.removeIf([&](const SchemaStep& step) { return step.version <= upgrade.from; });
    if (newObjectsNeedCommit(m_db))
        runStepByStep(pending);
    else
        runInOneTransaction(pending);
    return upgrade;
}

void SchemaUpgrader::runInOneTransaction(const QList<SchemaStep>& pending)
{
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    SchemaVersion version(m_db);
    if (!version.hasTable())
        version.createTable();
    for (const SchemaStep& step : pending)
        apply(step);
    transaction.commit();
}

void SchemaUpgrader::runStepByStep(const QList<SchemaStep>& pending)
{
    SchemaVersion version(m_db);
    if (!version.hasTable()) {
        // An empty table still reads as the version the tables show, so this commit alone
        // changes nothing a program sees.
        Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
        version.createTable();
        transaction.commit();
    }
    for (const SchemaStep& step : pending) {
        Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
        apply(step);
        transaction.commit();
    }
}

void SchemaUpgrader::apply(const SchemaStep& step)
{
    try {
        for (const QString& statement : step.statementsFor(m_db.driverName()))
            executeStatement(m_db, statement);
        SchemaVersion(m_db).write(step.version);
    } catch (const Kav::Exception& error) {
        throw Kav::Exception(
            QStringLiteral("Passo %1 da atualização: %2").arg(step.fileName, error.message()));
    }
}

} // namespace KavDb
