// Two clients in one process: each client context has its own shared database connection, its
// own running commands and its own access to the application server, and ending one (a test's
// context inside a running host) leaves the other as it was.
#include "ClientCoreContext.h"
#include "DatabaseConnection.h"
#include "dtmDBGeral.h"
#include "Events.h"
#include "KavException.h"
#include "TADOIBQuery.h"
#include "TField.h"
#include "TNetConnection.h"

#include <memory>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The city recorded in the database the current context's shared connection reaches, read by a
// query that names no connection, as the screens' lookups do.
QString cityOfTheCurrentContext()
{
    TADOIBQuery query;
    query.setObjectName(QStringLiteral("qryCidade"));
    query.setSQL({QStringLiteral("SELECT NMCIDADE FROM CIDADE")});
    query.Open();
    return query.FieldByName(QStringLiteral("NMCIDADE"))->AsString();
}

bool isRegisteredAndOpen(const QString& connectionName)
{
    return QSqlDatabase::contains(connectionName) && QSqlDatabase::database(connectionName, false).isOpen();
}

} // namespace

class TstClientCoreContext : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // An SQLite file whose one city is `city`; its URL.
    QString databaseOf(const QString& city)
    {
        const QString url = QStringLiteral("sqlite://") + m_dir.filePath(city + QStringLiteral(".db"));
        {
            QSqlDatabase db = Kav::DatabaseConnection::open(
                url, QStringLiteral("maker"), Kav::DatabaseConnection::OpenMode::CreateIfMissing);
            QSqlQuery query(db);
            query.exec(QStringLiteral("CREATE TABLE CIDADE (NMCIDADE VARCHAR(20))"));
            query.exec(QStringLiteral("INSERT INTO CIDADE (NMCIDADE) VALUES ('%1')").arg(city));
        }
        Kav::DatabaseConnection::close(QStringLiteral("maker"));
        return url;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void queryWithoutConnectionNameRunsOnTheCurrentContext()
    {
        Kav::ClientCoreContext outer;
        dtmDBGeral::open(databaseOf(QStringLiteral("Recife")));
        {
            Kav::ClientCoreContext inner;
            dtmDBGeral::open(databaseOf(QStringLiteral("Olinda")));
            QCOMPARE(cityOfTheCurrentContext(), QString("Olinda"));
            QCOMPARE(dtmDBGeral::connectionName(), inner.database().connectionName());
        }
        QCOMPARE(cityOfTheCurrentContext(), QString("Recife"));
        QCOMPARE(dtmDBGeral::connectionName(), outer.database().connectionName());
    }

    void endingANestedContextLeavesTheOuterConnectionOpen()
    {
        Kav::ClientCoreContext outer;
        const QString url = databaseOf(QStringLiteral("Natal"));
        outer.database().open(url);
        QString innerName;
        {
            Kav::ClientCoreContext inner;
            inner.database().open(url); // the same database, a connection of its own
            innerName = inner.database().connectionName();
            QVERIFY(isRegisteredAndOpen(innerName));
        }
        QVERIFY(!QSqlDatabase::contains(innerName));
        QVERIFY(outer.database().isOpen());
        QVERIFY(isRegisteredAndOpen(outer.database().connectionName()));
        QCOMPARE(cityOfTheCurrentContext(), QString("Natal"));
    }

    void connectionNamesAreNeverShared()
    {
        QStringList names;
        {
            Kav::ClientCoreContext first;
            Kav::ClientCoreContext second;
            names << first.database().connectionName() << second.database().connectionName();
        }
        // A context made after others ended does not take an ended one's name.
        Kav::ClientCoreContext later;
        names << later.database().connectionName();
        names.removeDuplicates();
        QCOMPARE(names.size(), 3);
    }

    // The end of a command lets go of that client's SQLite connection only.
    void commandEndReleasesOnlyItsOwnClientsConnection()
    {
        Kav::ClientCoreContext outer;
        outer.database().open(databaseOf(QStringLiteral("Caruaru")));
        Kav::ClientCoreContext inner;
        inner.database().open(databaseOf(QStringLiteral("Garanhuns")));
        Kav::runHandler([] { QCOMPARE(cityOfTheCurrentContext(), QString("Garanhuns")); });
        QVERIFY(!QSqlDatabase::contains(inner.database().connectionName()));
        QVERIFY(isRegisteredAndOpen(outer.database().connectionName()));
        // Released, not closed for good: the next statement opens it again.
        QCOMPARE(cityOfTheCurrentContext(), QString("Garanhuns"));
    }

    void newServerConnectionsTakeTheCurrentContextsAccess()
    {
        Kav::ClientCoreContext outer;
        outer.setServerAccess({QStringLiteral("ficha-a"), QString(), 1500});
        {
            Kav::ClientCoreContext inner;
            inner.setServerAccess({QStringLiteral("ficha-b"), QStringLiteral("/etc/kav/b.pem"), 2500});
            TNetConnection connection;
            QCOMPARE(connection.AccessToken(), QString("ficha-b"));
            QCOMPARE(connection.TrustedCertificate(), QString("/etc/kav/b.pem"));
            QCOMPARE(connection.CallTimeout(), 2500);
        }
        TNetConnection connection;
        QCOMPARE(connection.AccessToken(), QString("ficha-a"));
        QVERIFY(connection.TrustedCertificate().isEmpty());
        QCOMPARE(connection.CallTimeout(), 1500);
    }

    // A program that made no context (kavcall) connects with the built-in defaults.
    void serverConnectionWithoutContextHasTheDefaults()
    {
        TNetConnection connection;
        QVERIFY(connection.AccessToken().isEmpty());
        QVERIFY(connection.TrustedCertificate().isEmpty());
        QCOMPARE(connection.CallTimeout(), int(TNetConnection::kDefaultCallTimeoutMs));
    }

    // A command of a context made inside another's running command is a command of its own: its
    // error is shown by its own display and does not end the outer one.
    void errorsOfANestedContextsCommandStayInIt()
    {
        Kav::ClientCoreContext outer;
        QStringList outerShown;
        QStringList innerShown;
        QStringList steps;
        Kav::setErrorDisplay([&outerShown](const QString& message) { outerShown << message; });
        Kav::runHandler([&] {
            {
                Kav::ClientCoreContext inner;
                Kav::setErrorDisplay([&innerShown](const QString& message) { innerShown << message; });
                QVERIFY(!Kav::isHandlerRunning());
                Kav::runHandler([] { throw Kav::Exception("Falha do cliente de dentro."); });
            }
            QVERIFY(Kav::isHandlerRunning());
            steps << "the outer command went on";
        });
        QCOMPARE(innerShown, QStringList{"Falha do cliente de dentro."});
        QVERIFY(outerShown.isEmpty());
        QCOMPARE(steps, QStringList{"the outer command went on"});
    }

    void withoutContextHandlersAndTheSharedDatabaseAreRefused()
    {
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, Kav::runHandler([] {}));
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, dtmDBGeral::database());
        QVERIFY(!Kav::isHandlerRunning());
        bool ran = false;
        Kav::runFromQt([&ran] { ran = true; });
        QVERIFY(ran);
    }
};

QTEST_MAIN(TstClientCoreContext)
#include "tst_clientcorecontext.moc"
