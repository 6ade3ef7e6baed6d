#pragma once
// The schema's scripts as the program carries them: the first version's tables, the upgrade
// steps that lead from it to the current version, and each engine's own objects.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace KavDb {

// The statements that take a database from `version - 1` to `version`
// (resource schema/upgrades/NNNN-name.sql, NNNN being `version`). A line "-- engine: DRIVER"
// starts statements for that Qt driver only (QSQLITE, QPSQL, QIBASE), up to the next such line.
struct SchemaStep
{
    int version = 0;
    QString fileName;
    QStringList statements;                 // for every engine
    QHash<QString, QStringList> engineOnly; // by driver name

    // What the step runs on `driverName`'s engine.
    QStringList statementsFor(const QString& driverName) const
    {
        return statements + engineOnly.value(driverName);
    }
};

class SchemaScripts
{
public:
    // tables.sql: the tables as the schema first shipped, before it carried a version.
    static constexpr int FirstVersion = 1;

    static QStringList firstVersionStatements();
    static QStringList firstVersionTables();

    // Every upgrade step, in order. Throws Kav::Exception when the files are not numbered
    // 0002, 0003... without a gap (a step left out of the program).
    static QList<SchemaStep> steps();
    // The version a database reaches after every step: the one this program works with.
    static int currentVersion();
    // The tables of the current version, in creation order.
    static QStringList currentTables();

    // The engine's own objects (dialect functions, settings) for a Qt driver name. Throws
    // Kav::Exception for an engine the schema does not support.
    static QStringList engineStatements(const QString& driverName);

    // The step versions named by upgrade file names, checked to run 2, 3... in order.
    static QList<int> stepVersions(const QStringList& fileNames);
};

} // namespace KavDb
