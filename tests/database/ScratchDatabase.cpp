#include "ScratchDatabase.h"

#include "DatabaseConnection.h"
#include "DatabaseUrl.h"
#include "KavException.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>

namespace {

constexpr int IsqlTimeoutMs = 60000;

QString uniqueSuffix(const QString& tag)
{
    return tag.toLower() + QLatin1Char('_') + QString::number(QCoreApplication::applicationPid());
}

} // namespace

QString ScratchDatabase::engineName(Engine engine)
{
    switch (engine) {
    case Engine::SQLite:
        return QStringLiteral("sqlite");
    case Engine::PostgreSQL:
        return QStringLiteral("postgresql");
    case Engine::Firebird:
        return QStringLiteral("firebird");
    }
    return {};
}

bool ScratchDatabase::inCi()
{
    return qEnvironmentVariable("CI") == QLatin1String("true");
}

ScratchDatabase::ScratchDatabase(Engine engine, const QString& tag) : m_engine(engine)
{
    try {
        switch (engine) {
        case Engine::SQLite:
            m_url = QStringLiteral("sqlite://") + m_dir.filePath(tag + QStringLiteral(".db"));
            break;
        case Engine::PostgreSQL:
            createPostgreSQL(tag);
            break;
        case Engine::Firebird:
            createFirebird(tag);
            break;
        }
    } catch (const Kav::Exception& error) {
        m_reason = error.message();
        m_url.clear();
    }
}

void ScratchDatabase::createPostgreSQL(const QString& tag)
{
    m_adminUrl = qEnvironmentVariable("KAV_TEST_PG_URL");
    if (m_adminUrl.isEmpty()) {
        m_reason = QStringLiteral(
            "KAV_TEST_PG_URL is not set (run scripts/start-services and source var/services.env)");
        return;
    }
    const Kav::DatabaseUrl admin = Kav::DatabaseUrl::parse(m_adminUrl);
    const QString name = admin.database() + QLatin1Char('_') + uniqueSuffix(tag);
    const QString connection = QStringLiteral("scratch-admin");
    QString error;
    {
        QSqlQuery query(Kav::DatabaseConnection::open(admin, connection));
        query.exec(
            QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name)); // an interrupted run's
        if (!query.exec(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(name)))
            error = query.lastError().text();
    }
    Kav::DatabaseConnection::close(connection);
    if (!error.isEmpty())
        throw Kav::Exception(QStringLiteral("Cannot create the PostgreSQL test database: ") + error);
    m_dropName = name;
    QString url = m_adminUrl;
    url.chop(admin.database().size());
    m_url = url + name;
}

bool ScratchDatabase::runIsql(const QString& connect, const QString& statement)
{
    QProcess isql;
    QStringList args{QStringLiteral("-q")};
    if (!connect.isEmpty())
        args << QStringLiteral("-user") << m_user << QStringLiteral("-password") << m_password << connect;
    isql.start(QStringLiteral("isql-fb"), args);
    if (!isql.waitForStarted())
        return false;
    isql.write(statement.toUtf8() + '\n');
    isql.closeWriteChannel();
    isql.waitForFinished(IsqlTimeoutMs);
    return isql.exitStatus() == QProcess::NormalExit && isql.exitCode() == 0 &&
           isql.readAllStandardError().trimmed().isEmpty();
}

void ScratchDatabase::createFirebird(const QString& tag)
{
    const QString base = qEnvironmentVariable("KAV_TEST_FB_URL");
    if (base.isEmpty()) {
        m_reason = QStringLiteral(
            "KAV_TEST_FB_URL is not set (run scripts/start-services and source var/services.env)");
        return;
    }
    const Kav::DatabaseUrl url = Kav::DatabaseUrl::parse(base);
    const QFileInfo file(url.database());
    const QString path = file.absolutePath() + QLatin1Char('/') + file.completeBaseName() + QLatin1Char('_') +
                         uniqueSuffix(tag) + QStringLiteral(".fdb");
    m_user = url.user();
    m_password = url.password();
    const QString server =
        url.port() > 0 ? QStringLiteral("%1/%2").arg(url.host()).arg(url.port()) : url.host();
    const QString connect = server + QLatin1Char(':') + path;
    runIsql(connect, QStringLiteral("DROP DATABASE;")); // a leftover of an interrupted run
    if (!runIsql(QString(),
                 QStringLiteral("CREATE DATABASE '%1' USER '%2' PASSWORD '%3' DEFAULT CHARACTER SET UTF8;")
                     .arg(connect, m_user, m_password)))
        throw Kav::Exception(
            QStringLiteral("Cannot create the Firebird test database %1 with isql-fb").arg(connect));
    m_dropName = connect;
    QString scratch = base;
    scratch.chop(url.database().size());
    m_url = scratch + path;
}

ScratchDatabase::~ScratchDatabase()
{
    if (m_dropName.isEmpty())
        return;
    if (m_engine == Engine::Firebird) {
        runIsql(m_dropName, QStringLiteral("DROP DATABASE;"));
        return;
    }
    const QString connection = QStringLiteral("scratch-admin");
    try {
        QSqlQuery(Kav::DatabaseConnection::open(m_adminUrl, connection))
            .exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_dropName));
        Kav::DatabaseConnection::close(connection);
    } catch (const Kav::Exception&) {
        // The server went away: nothing left to drop from here.
    }
}
