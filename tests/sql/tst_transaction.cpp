// The one transaction type of client, server and tools, on each engine: commit keeps the rows and
// every other way out drops them; a connection that cannot begin says why; on SQLite the writers of
// one process take turns instead of failing on the database's lock, and readers wait for no one.

#include "DatabaseConnection.h"
#include "DatabaseUrl.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "ScratchDatabase.h"

#include <map>
#include <memory>
#include <QSemaphore>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

using Engine = ScratchDatabase::Engine;
using Kind = Kav::DbTransaction::Kind;
Q_DECLARE_METATYPE(Engine)
Q_DECLARE_METATYPE(Kind)

namespace {

const QString Table = QStringLiteral("TRANSACAO_TESTE");

// How long the first writer holds the database once the second one is on its way: enough for the
// second to reach its BEGIN, which without the writers' turn fails at once with "database is locked".
constexpr unsigned long SecondWriterHeadStartMs = 200;

// An SQLite connection that fails at once instead of waiting when the database is locked.
QSqlDatabase openImpatient(const QString& path, const QString& name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    if (!db.open())
        throw Kav::Exception(QStringLiteral("cannot open ") + path);
    return db;
}

void insertRow(const QSqlDatabase& db, int id)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("INSERT INTO %1 (ID) VALUES (%2)").arg(Table).arg(id)))
        throw Kav::Exception(QStringLiteral("cannot insert: ") + query.lastError().text());
}

int rowCount(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM ") + Table) || !query.next())
        throw Kav::Exception(QStringLiteral("cannot count: ") + query.lastError().text());
    return query.value(0).toInt();
}

} // namespace

class TstTransaction : public QObject
{
    Q_OBJECT

    std::map<Engine, std::unique_ptr<ScratchDatabase>> m_databases;

    static QString connectionOf(Engine engine)
    {
        return "transaction-" + ScratchDatabase::engineName(engine);
    }
    QSqlDatabase database(Engine engine) { return QSqlDatabase::database(connectionOf(engine)); }
    QString sqlitePath() const
    {
        return Kav::DatabaseUrl::parse(m_databases.at(Engine::SQLite)->url()).database();
    }

    static void addEngineRows()
    {
        QTest::addColumn<Engine>("engine");
        for (Engine engine : ScratchDatabase::engines())
            QTest::addRow("%s", qPrintable(ScratchDatabase::engineName(engine))) << engine;
    }

private slots:
    void initTestCase()
    {
        for (Engine engine : ScratchDatabase::engines()) {
            auto scratch = std::make_unique<ScratchDatabase>(engine, QStringLiteral("transaction"));
            if (scratch->isAvailable()) {
                QSqlDatabase db = Kav::DatabaseConnection::open(
                    scratch->url(), connectionOf(engine), Kav::DatabaseConnection::OpenMode::CreateIfMissing);
                QSqlQuery create(db);
                QVERIFY2(create.exec(QStringLiteral("CREATE TABLE %1 (ID INTEGER)").arg(Table)),
                         qPrintable(create.lastError().text()));
            }
            m_databases[engine] = std::move(scratch);
        }
    }
    void init()
    {
        for (const auto& [engine, scratch] : m_databases)
            if (scratch->isAvailable())
                QSqlQuery(database(engine)).exec(QStringLiteral("DELETE FROM ") + Table);
    }
    void cleanupTestCase()
    {
        for (Engine engine : ScratchDatabase::engines())
            Kav::DatabaseConnection::close(connectionOf(engine));
        m_databases.clear();
    }

    void commitKeepsTheRows_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<Kind>("kind");
        for (Engine engine : ScratchDatabase::engines()) {
            const QByteArray name = ScratchDatabase::engineName(engine).toUtf8();
            QTest::addRow("%s write", name.constData()) << engine << Kind::Write;
            QTest::addRow("%s read", name.constData()) << engine << Kind::Read;
        }
    }
    void commitKeepsTheRows()
    {
        QFETCH(Engine, engine);
        QFETCH(Kind, kind);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        QSqlDatabase db = database(engine);
        Kav::DbTransaction transaction(db, kind);
        insertRow(db, 1);
        insertRow(db, 2);
        transaction.commit();
        QCOMPARE(rowCount(db), 2);
        transaction.commit(); // a second commit has nothing left to do
        transaction.rollback();
        QCOMPARE(rowCount(db), 2);
    }

    void everyOtherWayOutDropsTheRows_data() { addEngineRows(); }
    void everyOtherWayOutDropsTheRows()
    {
        QFETCH(Engine, engine);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        QSqlDatabase db = database(engine);
        {
            Kav::DbTransaction leftWithoutCommit(db, Kind::Write);
            insertRow(db, 1);
        }
        QCOMPARE(rowCount(db), 0);
        try {
            Kav::DbTransaction abandoned(db, Kind::Write);
            insertRow(db, 2);
            throw Kav::Exception(QStringLiteral("the command failed half-way"));
        } catch (const Kav::Exception&) {
        }
        QCOMPARE(rowCount(db), 0);
        Kav::DbTransaction rolledBack(db, Kind::Write);
        insertRow(db, 3);
        rolledBack.rollback();
        rolledBack.commit(); // nothing left to commit
        QCOMPARE(rowCount(db), 0);
        // The connection is free for the next transaction.
        Kav::DbTransaction next(db, Kind::Write);
        insertRow(db, 4);
        next.commit();
        QCOMPARE(rowCount(db), 1);
    }

    void aConnectionThatIsNotOpenCannotBegin_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addRow("SQLite") << "QSQLITE";
        QTest::addRow("PostgreSQL") << "QPSQL";
        QTest::addRow("Firebird") << "QIBASE";
    }
    void aConnectionThatIsNotOpenCannotBegin()
    {
        QFETCH(QString, driver);
        const QString name = QStringLiteral("closed-") + driver;
        {
            const QSqlDatabase closed = QSqlDatabase::addDatabase(driver, name);
            QVERIFY_THROWS_EXCEPTION(Kav::Exception, Kav::DbTransaction(closed, Kind::Write));
        }
        QSqlDatabase::removeDatabase(name);
        // A writer that could not begin leaves the writers' turn to the next one.
        if (m_databases[Engine::SQLite]->isAvailable()) {
            QSqlDatabase db = database(Engine::SQLite);
            Kav::DbTransaction next(db, Kind::Write);
            insertRow(db, 1);
            next.commit();
            QCOMPARE(rowCount(db), 1);
        }
    }

    void sqliteWritersOfOneProcessTakeTurns()
    {
        const QString path = sqlitePath();
        QSqlDatabase first = openImpatient(path, QStringLiteral("first-writer"));
        QSemaphore secondOnItsWay;
        QString secondError;
        std::unique_ptr<QThread> second(QThread::create([&] {
            const QString name = QStringLiteral("second-writer");
            {
                QSqlDatabase db = openImpatient(path, name);
                secondOnItsWay.release();
                try {
                    Kav::DbTransaction transaction(db, Kind::Write);
                    insertRow(db, 2);
                    transaction.commit();
                } catch (const Kav::Exception& error) {
                    secondError = error.message();
                }
            }
            QSqlDatabase::removeDatabase(name);
        }));
        {
            Kav::DbTransaction transaction(first, Kind::Write);
            insertRow(first, 1);
            second->start();
            secondOnItsWay.acquire();
            QThread::msleep(SecondWriterHeadStartMs);
            transaction.commit();
        }
        QVERIFY(second->wait());
        QVERIFY2(secondError.isEmpty(), qPrintable(secondError));
        QCOMPARE(rowCount(first), 2);
        first.close();
        first = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("first-writer"));
    }

    void sqliteReadersWaitForNoWriter()
    {
        const QString path = sqlitePath();
        {
            QSqlDatabase writer = openImpatient(path, QStringLiteral("writer"));
            QSqlDatabase reader = openImpatient(path, QStringLiteral("reader"));
            Kav::DbTransaction writing(writer, Kind::Write);
            insertRow(writer, 1);
            // In the writer's own thread: a reader that queued for the writers' turn would never begin.
            Kav::DbTransaction reading(reader, Kind::Read);
            QCOMPARE(rowCount(reader), 0); // nothing uncommitted shows
            reading.commit();
            writing.commit();
            QCOMPARE(rowCount(reader), 1);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("writer"));
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    }
};

QTEST_MAIN(TstTransaction)
#include "tst_transaction.moc"
