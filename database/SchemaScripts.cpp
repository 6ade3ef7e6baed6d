#include "SchemaScripts.h"

#include "KavException.h"
#include "SchemaScript.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace KavDb {

namespace {

constexpr int StepNumberDigits = 4;
constexpr int Decimal = 10;
const QString ResourceDir = QStringLiteral(":/kavdb/schema/");
const QString UpgradesDir = QStringLiteral("upgrades/");

QStringList resourceStatements(const QString& name)
{
    QFile file(ResourceDir + name);
    if (!file.open(QIODevice::ReadOnly))
        throw Kav::Exception(QStringLiteral("The schema script %1 is missing from the program.").arg(name));
    return splitSqlScript(QString::fromUtf8(file.readAll()));
}

// A step's text cut at its "-- engine: DRIVER" lines: the part before the first for every engine.
SchemaStep stepFrom(int version, const QString& fileName)
{
    QFile file(ResourceDir + UpgradesDir + fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Kav::Exception(
            QStringLiteral("The schema script %1 is missing from the program.").arg(fileName));
    static const QRegularExpression marker(QStringLiteral("^-- engine: (\\w+)\\s*$"),
                                           QRegularExpression::MultilineOption);
    const QString text = QString::fromUtf8(file.readAll());
    SchemaStep step{version, fileName, {}, {}};
    QRegularExpressionMatchIterator found = marker.globalMatch(text);
    qsizetype commonEnd = text.size();
    QList<QRegularExpressionMatch> markers;
    while (found.hasNext())
        markers.append(found.next());
    if (!markers.isEmpty())
        commonEnd = markers.first().capturedStart();
    step.statements = splitSqlScript(text.left(commonEnd));
    for (qsizetype i = 0; i < markers.size(); ++i) {
        const qsizetype from = markers[i].capturedEnd();
        const qsizetype to = i + 1 < markers.size() ? markers[i + 1].capturedStart() : text.size();
        step.engineOnly[markers[i].captured(1)] += splitSqlScript(text.mid(from, to - from));
    }
    return step;
}

QStringList upgradeFileNames()
{
    return QDir(ResourceDir + UpgradesDir).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
}

} // namespace

QStringList SchemaScripts::firstVersionStatements()
{
    return resourceStatements(QStringLiteral("tables.sql"));
}

QStringList SchemaScripts::firstVersionTables()
{
    return createdTables(firstVersionStatements());
}

QList<int> SchemaScripts::stepVersions(const QStringList& fileNames)
{
    static const QRegularExpression stepName(
        QStringLiteral("^(\\d{%1})-[\\w-]+\\.sql$").arg(StepNumberDigits));
    QList<int> versions;
    for (const QString& name : fileNames) {
        const QRegularExpressionMatch match = stepName.match(name);
        const int expected = FirstVersion + int(versions.size()) + 1;
        if (!match.hasMatch() || match.captured(1).toInt() != expected)
            throw Kav::Exception(QStringLiteral("The schema upgrade steps are not numbered in order: %1 "
                                                "where step %2 was expected.")
                                     .arg(name)
                                     .arg(expected, StepNumberDigits, Decimal, QLatin1Char('0')));
        versions << expected;
    }
    return versions;
}

QList<SchemaStep> SchemaScripts::steps()
{
    const QStringList names = upgradeFileNames();
    const QList<int> versions = stepVersions(names);
    QList<SchemaStep> steps;
    for (int i = 0; i < names.size(); ++i)
        steps.append(stepFrom(versions.at(i), names.at(i)));
    return steps;
}

int SchemaScripts::currentVersion()
{
    return FirstVersion + int(stepVersions(upgradeFileNames()).size());
}

QStringList SchemaScripts::currentTables()
{
    QStringList tables = firstVersionTables();
    for (const SchemaStep& step : steps())
        tables << createdTables(step.statements);
    return tables;
}

QStringList SchemaScripts::engineStatements(const QString& driverName)
{
    if (driverName == QLatin1String("QSQLITE"))
        return resourceStatements(QStringLiteral("sqlite.sql"));
    if (driverName == QLatin1String("QPSQL"))
        return resourceStatements(QStringLiteral("postgresql.sql"));
    if (driverName == QLatin1String("QIBASE"))
        return resourceStatements(QStringLiteral("firebird.sql"));
    throw Kav::Exception(
        QStringLiteral("The schema is not available for the database driver %1.").arg(driverName));
}

} // namespace KavDb
