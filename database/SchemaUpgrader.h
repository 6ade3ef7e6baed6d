#pragma once
// Brings a database's schema forward to the version this program works with, step by step,
// keeping every row.

#include "SchemaScripts.h"

#include <QSqlDatabase>
#include <QString>

namespace KavDb {

// The versions an upgrade went from and to (the same when there was nothing to do).
struct SchemaUpgrade
{
    int from = 0;
    int to = 0;

    // One line for the operator.
    QString summary() const;
};

class SchemaUpgrader
{
public:
    explicit SchemaUpgrader(QSqlDatabase db);

    // Runs every step after the database's version and records each version reached.
    // SQLite and PostgreSQL run all the steps in one transaction: a failure leaves the database as
    // it was. Firebird makes what a statement creates usable only after its transaction commits,
    // so there the version table is committed first and each step commits together with its
    // version: a failure leaves the database at the last step done, and the next run goes on from
    // there. Throws Kav::Exception, changing nothing, for a database without the schema or with a
    // version newer than this program's.
    SchemaUpgrade upgrade();

private:
    void runInOneTransaction(const QList<SchemaStep>& pending);
    void runStepByStep(const QList<SchemaStep>& pending);
    void apply(const SchemaStep& step);

    QSqlDatabase m_db;
};

} // namespace KavDb
