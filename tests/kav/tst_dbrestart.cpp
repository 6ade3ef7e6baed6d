// The morning after a database restart: the server is back, but every session the host held was
// ended under it. What the client sees of a restart is its sessions terminated, so the test ends
// them from a second connection (PostgreSQL: pg_terminate_backend, 57P01; Firebird: the
// monitoring table's attachments deleted) and leaves the shared servers running. The first
// command after the restart must work, whatever reads first: the local cache, a screen's
// lookup, or a statement that is never run twice (the report's own query).
#include "ClientCoreContext.h"
#include "DatabaseConnection.h"
#include "dtmDBGeral.h"
#include "Events.h"
#include "KavException.h"
#include "LocalCache.h"
#include "ScratchDatabase.h"
#include "TADOIBQuery.h"
#include "TField.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

using Engine = ScratchDatabase::Engine;

enum class Reader { LocalCache, Lookup, SingleStatement };
// When the sessions end: between start-up and the first command, or inside a command after
// its first statement ran.
enum class Moment { BeforeFirstCommand, WithinCommand };

const QString kBranch = QStringLiteral("0001");

// What a restart does to the client: every other session of the database is ended.
QString endOtherSessions(const QString& url, Engine engine)
{
    const QString name = QStringLiteral("restart");
    QString failure;
    {
        QSqlDatabase db = Kav::DatabaseConnection::open(url, name);
        QSqlQuery query(db);
        const QString statement =
            engine == Engine::PostgreSQL
                ? QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                 "WHERE datname = current_database() AND pid <> pg_backend_pid()")
                : QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION");
        if (!query.exec(statement))
            failure = query.lastError().text();
        else if (engine == Engine::PostgreSQL && !query.next())
            failure = QStringLiteral("no session of the client was found to end");
        else if (engine == Engine::Firebird && query.numRowsAffected() < 1)
            failure = QStringLiteral("no attachment of the client was found to end");
    }
    Kav::DatabaseConnection::close(name);
    return failure;
}

QString makeTables(const QString& url)
{
    const QString name = QStringLiteral("setup");
    QString failure;
    {
        QSqlQuery query(Kav::DatabaseConnection::open(url, name));
        for (const char* statement : {"CREATE TABLE FILIAL (CDFILIAL VARCHAR(4), IDMATRIZ VARCHAR(1), "
                                      "IDMODZVE VARCHAR(1), IDCNTRRESC VARCHAR(1))",
                                      "INSERT INTO FILIAL VALUES ('0001', 'S', 'S', 'N')",
                                      "INSERT INTO FILIAL VALUES ('0002', 'N', 'S', 'S')",
                                      "CREATE TABLE CIDADE (NMCIDADE VARCHAR(20))",
                                      "INSERT INTO CIDADE (NMCIDADE) VALUES ('Recife')"}) {
            if (failure.isEmpty() && !query.exec(QString::fromLatin1(statement)))
                failure = QString::fromLatin1(statement) + QStringLiteral(": ") + query.lastError().text();
        }
    }
    Kav::DatabaseConnection::close(name);
    return failure;
}

// Runs `command` as the dispatcher runs a user's command; the messages it ended with.
QStringList runCommand(const std::function<void()>& command)
{
    QStringList shown;
    Kav::setErrorDisplay([&shown](const QString& message) { shown << message; });
    Kav::runHandler(command);
    Kav::setErrorDisplay([](const QString& message) { qWarning().noquote() << message; });
    return shown;
}

QString readCity()
{
    TADOIBQuery query;
    query.setObjectName(QStringLiteral("qryCidade"));
    query.setSQL({QStringLiteral("SELECT NMCIDADE FROM CIDADE")});
    query.setSQL_IB({QStringLiteral("SELECT NMCIDADE FROM CIDADE")});
    query.Open();
    return query.IsEmpty() ? QString() : query.FieldByName(QStringLiteral("NMCIDADE"))->AsString();
}

// One statement on the shared connection as it is handed out, never run again on failure.
QString countCities()
{
    QSqlQuery query(dtmDBGeral::database());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM CIDADE")) || !query.next())
        throw Kav::Exception(query.lastError().text());
    return query.value(0).toString();
}

// What `reader` reads, as text to compare.
QString readWith(Reader reader, Kavenso::LocalCache& cache)
{
    switch (reader) {
    case Reader::LocalCache: {
        cache.refresh({Kavenso::LocalCache::kFilial});
        const auto branch = cache.filial(kBranch);
        return branch && branch->matriz && !branch->rescindido ? QStringLiteral("matriz") : QString();
    }
    case Reader::Lookup:
        return readCity();
    case Reader::SingleStatement:
        return countCities();
    }
    return {};
}

QString expectedOf(Reader reader)
{
    switch (reader) {
    case Reader::LocalCache:
        return QStringLiteral("matriz");
    case Reader::Lookup:
        return QStringLiteral("Recife");
    case Reader::SingleStatement:
        return QStringLiteral("1");
    }
    return {};
}

} // namespace

class TstDbRestart : public QObject
{
    Q_OBJECT

    Kav::ClientCoreContext context;
    std::unique_ptr<ScratchDatabase> postgres;
    std::unique_ptr<ScratchDatabase> firebird;
    QString postgresSetup;
    QString firebirdSetup;

private slots:
    void initTestCase()
    {
        postgres = std::make_unique<ScratchDatabase>(Engine::PostgreSQL, QStringLiteral("restart"));
        firebird = std::make_unique<ScratchDatabase>(Engine::Firebird, QStringLiteral("restart"));
        if (postgres->isAvailable())
            postgresSetup = makeTables(postgres->url());
        if (firebird->isAvailable())
            firebirdSetup = makeTables(firebird->url());
    }

    void cleanupTestCase() { dtmDBGeral::close(); }

    void firstCommandAfterRestartWorks_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<Reader>("reader");
        QTest::addColumn<Moment>("moment");
        const QList<std::pair<const char*, Reader>> readers = {{"local cache", Reader::LocalCache},
                                                               {"lookup", Reader::Lookup},
                                                               {"single statement", Reader::SingleStatement}};
        for (Engine engine : {Engine::PostgreSQL, Engine::Firebird}) {
            const QByteArray name = ScratchDatabase::engineName(engine).toUtf8();
            for (const auto& [readerName, reader] : readers) {
                QTest::addRow("%s, idle since start-up, %s", name.constData(), readerName)
                    << engine << reader << Moment::BeforeFirstCommand;
                // A statement that is never run again cannot outlive a restart inside its command.
                if (reader != Reader::SingleStatement)
                    QTest::addRow("%s, within the command, %s", name.constData(), readerName)
                        << engine << reader << Moment::WithinCommand;
            }
        }
    }

    // Start-up opens the connection; the restart comes before the first command or during one.
    void firstCommandAfterRestartWorks()
    {
        QFETCH(Engine, engine);
        QFETCH(Reader, reader);
        QFETCH(Moment, moment);
        ScratchDatabase& scratch = engine == Engine::PostgreSQL ? *postgres : *firebird;
        KAV_REQUIRE_DATABASE(scratch);
        QCOMPARE(engine == Engine::PostgreSQL ? postgresSetup : firebirdSetup, QString());

        dtmDBGeral::open(scratch.url());
        Kavenso::LocalCache cache(context.database());
        QString restart;
        if (moment == Moment::BeforeFirstCommand)
            restart = endOtherSessions(scratch.url(), engine);
        QString read;
        const QStringList shown = runCommand([&] {
            if (moment == Moment::WithinCommand) {
                readWith(reader, cache);
                restart = endOtherSessions(scratch.url(), engine);
            }
            read = readWith(reader, cache);
        });
        QCOMPARE(restart, QString());
        QVERIFY2(shown.isEmpty(), qPrintable(shown.join(QStringLiteral(" / "))));
        QCOMPARE(read, expectedOf(reader));
    }

    // A failed read on a live connection is not a lost connection: it is told once, in
    // Portuguese, and the database's own words stay out of the message.
    void failedCacheReadOnLiveConnectionIsToldInPortuguese()
    {
        KAV_REQUIRE_DATABASE(*postgres);
        ScratchDatabase empty(Engine::PostgreSQL, QStringLiteral("restartempty"));
        KAV_REQUIRE_DATABASE(empty);
        dtmDBGeral::open(empty.url());
        const auto closeFirst = qScopeGuard([] { dtmDBGeral::close(); });
        Kavenso::LocalCache cache(context.database());
        const QStringList shown = runCommand([&cache] { cache.filial(kBranch); });
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.constFirst().startsWith(
                     QStringLiteral("Não foi possível ler as tabelas de apoio (FILIAL)")),
                 qPrintable(shown.constFirst()));
        QVERIFY2(!shown.constFirst().contains(QStringLiteral("relation")), qPrintable(shown.constFirst()));
    }
};

QTEST_MAIN(TstDbRestart)
#include "tst_dbrestart.moc"
