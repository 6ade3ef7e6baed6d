// The shared database connection when the database server goes away under the host: a private
// PostgreSQL restarted and stopped by the test, and Firebird seen through a relay that drops
// its connections (a Firebird server of the test's own is not at hand). A lost connection is
// opened again before the next statement, a read runs once more after reconnecting, and while
// the database is down each command ends with one message in Portuguese.
#include "ClientCoreContext.h"
#include "DatabaseUrl.h"
#include "dtmDBGeral.h"
#include "Events.h"
#include "KavException.h"
#include "PrivatePostgres.h"
#include "ScratchDatabase.h"
#include "TADOIBQuery.h"
#include "TcpRelay.h"
#include "TField.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

namespace {

const QString kDatabaseDown = QStringLiteral("Não foi possível conectar ao banco de dados");

// A read-only lookup as the screens have them; the plain and InterBase dialects alike.
std::unique_ptr<TADOIBQuery> lookup()
{
    auto query = std::make_unique<TADOIBQuery>();
    query->setObjectName(QStringLiteral("qryCidade"));
    query->setSQL({QStringLiteral("SELECT NMCIDADE FROM CIDADE")});
    query->setSQL_IB({QStringLiteral("SELECT NMCIDADE FROM CIDADE")});
    return query;
}

QString makeTable()
{
    QSqlQuery query(dtmDBGeral::database());
    for (const char* statement :
         {"CREATE TABLE CIDADE (NMCIDADE VARCHAR(20))", "INSERT INTO CIDADE (NMCIDADE) VALUES ('Recife')"}) {
        if (!query.exec(QString::fromLatin1(statement)))
            return QString::fromLatin1(statement);
    }
    return {};
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
    auto query = lookup();
    query->Open();
    return query->IsEmpty() ? QString() : query->FieldByName(QStringLiteral("NMCIDADE"))->AsString();
}

// The relay in a thread of its own: the database client blocks the test's thread while it
// waits, and the relay must go on pumping meanwhile.
class RelayThread
{
public:
    RelayThread(const QString& host, quint16 port)
    {
        m_anchor.moveToThread(&m_thread);
        m_thread.start();
        inRelayThread([this, host, port] {
            m_relay = new TcpRelay(host, port);
            m_started = m_relay->start();
        });
    }
    ~RelayThread()
    {
        inRelayThread([this] { delete m_relay; });
        m_thread.quit();
        m_thread.wait();
    }
    bool started() const { return m_started; }
    quint16 port() const { return m_relay->port(); }
    void down()
    {
        inRelayThread([this] { m_relay->down(); });
    }
    void up()
    {
        inRelayThread([this] { m_relay->up(); });
    }

private:
    void inRelayThread(const std::function<void()>& work)
    {
        QMetaObject::invokeMethod(&m_anchor, work, Qt::BlockingQueuedConnection);
    }

    QThread m_thread;
    QObject m_anchor; // lives in the relay's thread: calls through it run there
    TcpRelay* m_relay = nullptr;
    bool m_started = false;
};

} // namespace

class TstDbReconnect : public QObject
{
    Q_OBJECT

    // The client whose shared connection every case uses, for the whole run.
    Kav::ClientCoreContext context;
    PrivatePostgres postgres;
    QString postgresReason;

    void requirePostgres()
    {
        if (postgresReason.isEmpty())
            return;
        if (ScratchDatabase::inCi())
            QFAIL(qPrintable(postgresReason));
        QSKIP(qPrintable(postgresReason));
    }

private slots:
    void initTestCase()
    {
        postgresReason = postgres.start();
        if (!postgresReason.isEmpty())
            return;
        try {
            dtmDBGeral::open(postgres.url());
            postgresReason = makeTable();
        } catch (const Kav::Exception& error) {
            postgresReason = error.message();
        }
    }

    void cleanupTestCase() { dtmDBGeral::close(); }

    // The restart ends the session under the open connection; the read that meets the dead
    // connection reconnects and runs once more, within the same command.
    void readAfterRestartReconnectsAndRunsAgain()
    {
        requirePostgres();
        QStringList shown = runCommand([this] {
            QCOMPARE(readCity(), QStringLiteral("Recife"));
            QCOMPARE(postgres.restart(), QString());
            QCOMPARE(readCity(), QStringLiteral("Recife"));
        });
        QVERIFY2(shown.isEmpty(), qPrintable(shown.join(" / ")));
    }

    // Between commands the connection is checked before the next statement, so even a statement
    // that is never run again (the report's own query) meets a live connection.
    void nextCommandFindsTheConnectionOpenAgain()
    {
        requirePostgres();
        QCOMPARE(runCommand([] { readCity(); }), QStringList());
        QCOMPARE(postgres.restart(), QString());
        QStringList shown = runCommand([] {
            QSqlQuery query(dtmDBGeral::database());
            if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM CIDADE")) || !query.next())
                throw Kav::Exception(query.lastError().text());
        });
        QVERIFY2(shown.isEmpty(), qPrintable(shown.join(" / ")));
    }

    // While the server is down every command ends with the same one message in Portuguese;
    // once it is back the next command works as before.
    void downDatabaseGivesOneClearMessagePerCommand()
    {
        requirePostgres();
        QCOMPARE(postgres.stop(), QString());
        for (int attempt = 0; attempt < 2; ++attempt) {
            const QStringList shown = runCommand([] { readCity(); });
            QCOMPARE(shown.size(), 1);
            QVERIFY2(shown.constFirst().startsWith(kDatabaseDown), qPrintable(shown.constFirst()));
        }
        QCOMPARE(postgres.startAgain(), QString());
        QString city;
        QCOMPARE(runCommand([&city] { city = readCity(); }), QStringList());
        QCOMPARE(city, QStringLiteral("Recife"));
    }

    // Firebird through a relay: the relay dropping its connections stands for the server going
    // away; with the relay back the next read reconnects.
    void firebirdReconnectsAfterItsConnectionDropped()
    {
        ScratchDatabase scratch(ScratchDatabase::Engine::Firebird, QStringLiteral("reconnect"));
        KAV_REQUIRE_DATABASE(scratch);
        const Kav::DatabaseUrl target = Kav::DatabaseUrl::parse(scratch.url());
        RelayThread relay(target.host(), quint16(target.port() > 0 ? target.port() : 3050));
        QVERIFY(relay.started());
        const QString throughRelay = QStringLiteral("firebird://%1:%2@127.0.0.1:%3/%4")
                                         .arg(target.user(), target.password())
                                         .arg(relay.port())
                                         .arg(target.database());
        dtmDBGeral::open(throughRelay);
        const auto backToPostgres = qScopeGuard([this] {
            dtmDBGeral::close();
            if (postgresReason.isEmpty())
                dtmDBGeral::open(postgres.url());
        });
        QCOMPARE(makeTable(), QString());
        QCOMPARE(runCommand([] { readCity(); }), QStringList());

        relay.down();
        const QStringList shown = runCommand([] { readCity(); });
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.constFirst().startsWith(kDatabaseDown), qPrintable(shown.constFirst()));

        relay.up();
        QString city;
        QStringList after = runCommand([&city] { city = readCity(); });
        QVERIFY2(after.isEmpty(), qPrintable(after.join(" / ")));
        QCOMPARE(city, QStringLiteral("Recife"));
        // Dropped while open, within a command: the read reconnects and runs again.
        after = runCommand([&relay, &city] {
            readCity();
            relay.down();
            relay.up();
            city = readCity();
        });
        QVERIFY2(after.isEmpty(), qPrintable(after.join(" / ")));
        QCOMPARE(city, QStringLiteral("Recife"));
    }
};

QTEST_MAIN(TstDbReconnect)
#include "tst_dbreconnect.moc"
