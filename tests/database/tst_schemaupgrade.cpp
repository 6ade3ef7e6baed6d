// A database made by the first version of the schema keeps every row when kavdb upgrades it, on
// every engine, and ends up with what a new database has; a failed upgrade changes nothing; the
// programs refuse a database of another version and say what to run.

#include "DatabaseConnection.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "ProgramRun.h"
#include "SchemaInstaller.h"
#include "SchemaScript.h"
#include "SchemaScripts.h"
#include "SchemaVersion.h"
#include "ScratchDatabase.h"

#include <map>
#include <memory>
#include <QFile>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

using Engine = ScratchDatabase::Engine;
Q_DECLARE_METATYPE(Engine)

namespace {

const QString Version1Schema = QStringLiteral(KAV_TEST_DIR "/schema-version1.sql");
const QString Version1Data = QStringLiteral(KAV_TEST_DIR "/data-version1.sql");
const QString NullMark = QStringLiteral("<null>");

// Exit status of kavdb and kavserver when they refuse, and of kavhost for a database it cannot use.
constexpr int ExitRefused = 1;
constexpr int ExitHostBadDatabase = 2;

QStringList scriptStatements(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Kav::Exception(QStringLiteral("cannot read ") + path);
    return KavDb::splitSqlScript(QString::fromUtf8(file.readAll()));
}

// In one transaction: Firebird must have committed the tables before rows go in.
void runStatements(const QSqlDatabase& db, const QStringList& statements)
{
    Kav::DbTransaction transaction(db, Kav::DbTransaction::Kind::Write);
    for (const QString& statement : statements)
        KavDb::executeStatement(db, statement);
    transaction.commit();
}

void dropEveryTable(const QSqlDatabase& db)
{
    QStringList drops;
    for (const QString& table : KavDb::SchemaVersion::existingTables(db))
        drops << QStringLiteral("DROP TABLE ") + table;
    runStatements(db, drops);
}

// The version-1 database of a site: its tables, then its rows.
void writeVersion1(const QSqlDatabase& db)
{
    dropEveryTable(db);
    runStatements(db, scriptStatements(Version1Schema));
    runStatements(db, scriptStatements(Version1Data));
}

QStringList version1Tables()
{
    return KavDb::createdTables(scriptStatements(Version1Schema));
}

using Columns = QMap<QString, QStringList>;

// The columns of each table in their order (none for a table the database lacks).
Columns columnsOf(const QSqlDatabase& db, const QStringList& tables)
{
    Columns columns;
    for (const QString& table : tables) {
        // PostgreSQL keeps unquoted names in lower case, and its driver looks the name up as given.
        QSqlRecord record = db.record(table);
        if (record.isEmpty())
            record = db.record(table.toLower());
        QStringList names;
        for (int i = 0; i < record.count(); ++i)
            names << record.fieldName(i).toUpper();
        columns.insert(table, names);
    }
    return columns;
}

using Snapshot = QMap<QString, QList<QStringList>>;

// What a site's version-1 database held: its columns and their rows.
struct Version1Rows
{
    Columns columns;
    Snapshot rows;
};

// Every row of the given tables and columns, as text, sorted by all of them.
Snapshot snapshot(const QSqlDatabase& db, const Columns& columns)
{
    Snapshot rows;
    for (auto table = columns.cbegin(); table != columns.cend(); ++table) {
        QStringList positions;
        for (int i = 1; i <= table.value().size(); ++i)
            positions << QString::number(i);
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                            .arg(table.value().join(QLatin1String(", ")), table.key(),
                                 positions.join(QLatin1String(", ")))))
            throw Kav::Exception(table.key() + QStringLiteral(": ") + query.lastError().text());
        QList<QStringList>& tableRows = rows[table.key()];
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < table.value().size(); ++i)
                row << (query.value(i).isNull() ? NullMark : query.value(i).toString());
            tableRows << row;
        }
    }
    return rows;
}

// The first row that differs between two snapshots, told so that a failure shows it; empty when
// they are the same.
QString firstDifference(const Snapshot& before, const Snapshot& after)
{
    for (auto table = before.cbegin(); table != before.cend(); ++table) {
        const QList<QStringList> rows = after.value(table.key());
        for (qsizetype i = 0; i < qMax(rows.size(), table.value().size()); ++i) {
            const QStringList was = table.value().value(i);
            const QStringList is = rows.value(i);
            if (was != is)
                return QStringLiteral("%1, row %2: was (%3), is (%4)")
                    .arg(table.key())
                    .arg(i + 1)
                    .arg(was.join(QLatin1String(" | ")), is.join(QLatin1String(" | ")));
        }
    }
    return {};
}

QVariant scalar(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        return QStringLiteral("failed: ") + query.lastError().text();
    return query.value(0);
}

ProgramRun kavdbUpgrade(const QString& url)
{
    return runProgram(QStringLiteral("kavdb"), {QStringLiteral("upgrade"), url});
}

QString upgradedText(int from)
{
    return QStringLiteral("da versão %1 para a versão %2")
        .arg(from)
        .arg(KavDb::SchemaScripts::currentVersion());
}

} // namespace

class TstSchemaUpgrade : public QObject
{
    Q_OBJECT

    std::map<Engine, std::unique_ptr<ScratchDatabase>> m_databases;
    QTemporaryDir m_dir;

    static QString connectionOf(Engine engine) { return "upgrade-" + ScratchDatabase::engineName(engine); }
    QSqlDatabase open(Engine engine)
    {
        return Kav::DatabaseConnection::open(m_databases[engine]->url(), connectionOf(engine),
                                             Kav::DatabaseConnection::OpenMode::CreateIfMissing);
    }
    // The programs under test open the database themselves: this process holds no connection,
    // and so no transaction or lock, while they work.
    static void close(Engine engine) { Kav::DatabaseConnection::close(connectionOf(engine)); }

    static void addEngineRows()
    {
        QTest::addColumn<Engine>("engine");
        for (Engine engine : ScratchDatabase::engines())
            QTest::addRow("%s", qPrintable(ScratchDatabase::engineName(engine))) << engine;
    }

    // An SQLite file of this test's folder, made by `make` on an open connection.
    QString sqliteDatabase(const QString& name, const std::function<void(const QSqlDatabase&)>& make)
    {
        const QString url = QStringLiteral("sqlite://") + m_dir.filePath(name);
        make(Kav::DatabaseConnection::open(url, name, Kav::DatabaseConnection::OpenMode::CreateIfMissing));
        Kav::DatabaseConnection::close(name);
        return url;
    }

    static void makeNewer(const QSqlDatabase& db)
    {
        KavDb::SchemaInstaller(db).create(true);
        Kav::DbTransaction transaction(db, Kav::DbTransaction::Kind::Write);
        KavDb::SchemaVersion(db).write(KavDb::SchemaScripts::currentVersion() + 1);
        transaction.commit();
    }

    // Makes the engine's database a site's version-1 database (plus `extra` statements) and says
    // what it holds. Throws Kav::Exception.
    Version1Rows installVersion1(Engine engine, const QStringList& extra = {})
    {
        Version1Rows held;
        {
            const QSqlDatabase db = open(engine);
            writeVersion1(db);
            if (!extra.isEmpty())
                runStatements(db, extra);
            held.columns = columnsOf(db, version1Tables());
            held.rows = snapshot(db, held.columns);
        }
        close(engine);
        return held;
    }

    // Empty when the engine's database still holds those rows and is at `version`, else what differs.
    QString mismatch(Engine engine, const Version1Rows& before, int version)
    {
        QString why;
        try {
            const QSqlDatabase db = open(engine);
            why = firstDifference(before.rows, snapshot(db, before.columns));
            const int found = KavDb::SchemaVersion(db).read();
            if (why.isEmpty() && found != version)
                why = QStringLiteral("at version %1 instead of %2").arg(found).arg(version);
        } catch (const Kav::Exception& error) {
            why = error.message();
        }
        close(engine);
        return why;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const char* program : {"kavdb", "kavserver", "kavhost"})
            QVERIFY2(QFile::exists(QStringLiteral(KAV_BINARY_DIR "/bin/") + program), program);
        for (Engine engine : ScratchDatabase::engines())
            m_databases[engine] = std::make_unique<ScratchDatabase>(engine, QStringLiteral("upgrade"));
    }
    void cleanupTestCase()
    {
        for (Engine engine : ScratchDatabase::engines())
            close(engine);
        m_databases.clear();
    }

    void upgradeKeepsEveryRowAndMatchesANewDatabase_data() { addEngineRows(); }
    void upgradeKeepsEveryRowAndMatchesANewDatabase()
    {
        QFETCH(Engine, engine);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        const QString url = m_databases[engine]->url();
        const int current = KavDb::SchemaScripts::currentVersion();
        Version1Rows before;
        QVERIFY_THROWS_NO_EXCEPTION(before = installVersion1(engine));
        for (auto table = before.rows.cbegin(); table != before.rows.cend(); ++table)
            QVERIFY2(!table.value().isEmpty(), qPrintable(table.key() + " has no fixture rows"));
        {
            const QSqlDatabase db = open(engine);
            QCOMPARE(KavDb::SchemaVersion(db).read(), KavDb::SchemaScripts::FirstVersion);
            QVERIFY(KavDb::SchemaVersion(db).refusal().contains(QStringLiteral("kavdb upgrade ")));
        }
        close(engine);

        ProgramRun run = kavdbUpgrade(url);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(upgradedText(KavDb::SchemaScripts::FirstVersion)), qPrintable(run.out));
        QString differs = mismatch(engine, before, current);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
        Columns upgraded;
        {
            const QSqlDatabase db = open(engine);
            QCOMPARE(KavDb::SchemaVersion(db).refusal(), QString());
            // The portions and the accents read back as they went in, not merely as before.
            QCOMPARE(scalar(db, "SELECT QTPORCAO FROM ITCARDZVE WHERE CDTIPOCARD = '0000000001' AND "
                                "NRSEQITEM = 1")
                         .toDouble(),
                     0.6);
            QCOMPARE(scalar(db, "SELECT QTPORCAO FROM ITCARDZVE WHERE CDTIPOCARD = '0000000002' AND "
                                "NRSEQITEM = 1")
                         .toDouble(),
                     1.2);
            QCOMPARE(scalar(db, "SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = '0011'").toString(),
                     QStringLiteral("CMEI Pingo d'Água"));
            upgraded = columnsOf(db, KavDb::SchemaInstaller::tables() << KavDb::SchemaVersion::Table);
        }
        close(engine);
        for (auto table = upgraded.cbegin(); table != upgraded.cend(); ++table)
            QVERIFY2(!table.value().isEmpty(), qPrintable(table.key() + " is missing after the upgrade"));

        // A second run finds nothing to do and touches nothing.
        run = kavdbUpgrade(url);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(QStringLiteral("já está na versão atual")), qPrintable(run.out));
        differs = mismatch(engine, before, current);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));

        // A new database gets the same tables and columns, in the same order.
        {
            const QSqlDatabase db = open(engine);
            QVERIFY_THROWS_NO_EXCEPTION(KavDb::SchemaInstaller(db).create(true));
            QCOMPARE(columnsOf(db, upgraded.keys()), upgraded);
            QCOMPARE(KavDb::SchemaVersion(db).read(), current);
        }
        close(engine);
    }

    // A site's own table with the name a step creates last makes the step fail after it has
    // already created and altered tables: all of that is undone, and the next run succeeds.
    void failedUpgradeKeepsTheDatabaseAndCanBeRepeated_data() { addEngineRows(); }
    void failedUpgradeKeepsTheDatabaseAndCanBeRepeated()
    {
        QFETCH(Engine, engine);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        const KavDb::SchemaStep firstStep = KavDb::SchemaScripts::steps().value(0);
        const QStringList created = KavDb::createdTables(firstStep.statements);
        if (created.size() < 2)
            QSKIP("the first upgrade step creates fewer than two tables");
        const QString clash = created.last();
        const QString url = m_databases[engine]->url();
        Version1Rows before;
        QVERIFY_THROWS_NO_EXCEPTION(
            before =
                installVersion1(engine, {QStringLiteral("CREATE TABLE %1 (NRLOCAL INTEGER)").arg(clash)}));

        ProgramRun run = kavdbUpgrade(url);
        QCOMPARE(run.exitCode, ExitRefused);
        QVERIFY2(run.err.contains(firstStep.fileName), qPrintable(run.err));
        QString differs = mismatch(engine, before, KavDb::SchemaScripts::FirstVersion);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
        {
            const QSqlDatabase db = open(engine);
            QCOMPARE(columnsOf(db, version1Tables()), before.columns);
            QVERIFY(!KavDb::SchemaVersion::existingTables(db).contains(created.first()));
            runStatements(db, {QStringLiteral("DROP TABLE ") + clash});
        }
        close(engine);

        run = kavdbUpgrade(url);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(upgradedText(KavDb::SchemaScripts::FirstVersion)), qPrintable(run.out));
        differs = mismatch(engine, before, KavDb::SchemaScripts::currentVersion());
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    // With two or more steps pending, a failure in a later one undoes the earlier ones too where
    // the engine can run them in one transaction: a site never finds its database half-way, at a
    // version no program of its own works with. Firebird commits step by step and stops at the
    // last step done; the next run goes on from there.
    void laterStepFailingUndoesTheEarlierOnes_data() { addEngineRows(); }
    void laterStepFailingUndoesTheEarlierOnes()
    {
        QFETCH(Engine, engine);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        const QList<KavDb::SchemaStep> steps = KavDb::SchemaScripts::steps();
        qsizetype failing = steps.size() - 1;
        while (failing > 0 && KavDb::createdTables(steps[failing].statements).isEmpty())
            --failing;
        if (failing < 1)
            QSKIP("no upgrade step after the first creates a table");
        const QString clash = KavDb::createdTables(steps[failing].statements).first();
        const QString earlierTable = KavDb::createdTables(steps.first().statements).value(0);
        const QString url = m_databases[engine]->url();
        Version1Rows before;
        QVERIFY_THROWS_NO_EXCEPTION(
            before =
                installVersion1(engine, {QStringLiteral("CREATE TABLE %1 (NRLOCAL INTEGER)").arg(clash)}));

        ProgramRun run = kavdbUpgrade(url);
        QCOMPARE(run.exitCode, ExitRefused);
        QVERIFY2(run.err.contains(steps[failing].fileName), qPrintable(run.err));
        const bool stepByStep = engine == Engine::Firebird;
        const int reached = stepByStep ? steps[failing].version - 1 : KavDb::SchemaScripts::FirstVersion;
        QString differs = mismatch(engine, before, reached);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
        {
            const QSqlDatabase db = open(engine);
            QCOMPARE(KavDb::SchemaVersion::existingTables(db).contains(earlierTable), stepByStep);
            runStatements(db, {QStringLiteral("DROP TABLE ") + clash});
        }
        close(engine);

        run = kavdbUpgrade(url);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(upgradedText(reached)), qPrintable(run.out));
        differs = mismatch(engine, before, KavDb::SchemaScripts::currentVersion());
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    void newerDatabaseIsRefusedAndLeftAlone_data() { addEngineRows(); }
    void newerDatabaseIsRefusedAndLeftAlone()
    {
        QFETCH(Engine, engine);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        const int newer = KavDb::SchemaScripts::currentVersion() + 1;
        QVERIFY_THROWS_NO_EXCEPTION(makeNewer(open(engine)));
        close(engine);

        const ProgramRun run = kavdbUpgrade(m_databases[engine]->url());
        QCOMPARE(run.exitCode, ExitRefused);
        QVERIFY2(run.err.contains(QStringLiteral("versão %1 do esquema, mais nova").arg(newer)) &&
                     run.err.contains(QStringLiteral("Nada foi alterado")),
                 qPrintable(run.err));
        QCOMPARE(KavDb::SchemaVersion(open(engine)).read(), newer);
        close(engine);
    }

    void databaseWithoutACompleteSchemaIsRefused_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("message");
        QTest::addRow("no tables") << QStringList{} << "kavdb create sqlite://";
        QTest::addRow("a first-version table missing")
            << (scriptStatements(Version1Schema) << QStringLiteral("DROP TABLE PICTURE"))
            << "faltam as tabelas PICTURE";
    }
    void databaseWithoutACompleteSchemaIsRefused()
    {
        QFETCH(QStringList, statements);
        QFETCH(QString, message);
        const QString name = QStringLiteral("incomplete-%1.db").arg(QTest::currentDataTag());
        const QString url =
            sqliteDatabase(name, [&](const QSqlDatabase& db) { runStatements(db, statements); });
        const ProgramRun run = kavdbUpgrade(url);
        QCOMPARE(run.exitCode, ExitRefused);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    void stepFilesAreNumberedWithoutGaps_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QList<int>>("versions"); // empty: refused
        QTest::addRow("none") << QStringList{} << QList<int>{};
        QTest::addRow("two in order")
            << QStringList{"0002-references.sql", "0003-more.sql"} << QList<int>{2, 3};
        QTest::addRow("first step missing") << QStringList{"0003-more.sql"} << QList<int>{};
        QTest::addRow("a gap") << QStringList{"0002-a.sql", "0004-c.sql"} << QList<int>{};
        QTest::addRow("two with one number") << QStringList{"0002-a.sql", "0002-b.sql"} << QList<int>{};
        QTest::addRow("number not of four digits") << QStringList{"2-a.sql"} << QList<int>{};
    }
    void stepFilesAreNumberedWithoutGaps()
    {
        QFETCH(QStringList, files);
        QFETCH(QList<int>, versions);
        if (!files.isEmpty() && versions.isEmpty())
            QVERIFY_THROWS_EXCEPTION(Kav::Exception, KavDb::SchemaScripts::stepVersions(files));
        else
            QCOMPARE(KavDb::SchemaScripts::stepVersions(files), versions);
    }

    void programsRefuseADatabaseOfAnotherVersion_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("older");
        const QString script = m_dir.filePath(QStringLiteral("never-run.kscript"));
        for (const bool older : {true, false}) {
            const char* age = older ? "older" : "newer";
            QTest::addRow("kavserver, %s", age)
                << "kavserver" << QStringList{"--port", "0"} << ExitRefused << older;
            QTest::addRow("kavhost, %s", age)
                << "kavhost" << QStringList{"--script", script} << ExitHostBadDatabase << older;
        }
    }
    void programsRefuseADatabaseOfAnotherVersion()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(bool, older);
        const QString url =
            older ? sqliteDatabase(QStringLiteral("version1.db"), writeVersion1)
                  : sqliteDatabase(QStringLiteral("newer.db"), [](const QSqlDatabase& db) { makeNewer(db); });
        const ProgramRun run = runProgram(program, arguments << QStringLiteral("--database") << url,
                                          {QStringLiteral("QT_QPA_PLATFORM=offscreen")});
        QTEST(run.exitCode, "exitCode");
        const QString expected = older ? QStringLiteral("kavdb upgrade ") + url
                                       : QStringLiteral("versão %1 do esquema, mais nova")
                                             .arg(KavDb::SchemaScripts::currentVersion() + 1);
        QVERIFY2(run.err.contains(expected), qPrintable(run.err));
    }
};

QTEST_MAIN(TstSchemaUpgrade)
#include "tst_schemaupgrade.moc"
