#include "DemoDatabase.h"

#include "DatabaseConnection.h"
#include "DemoData.h"
#include "dtmDBGeral.h"
#include "KavException.h"
#include "SchemaInstaller.h"

QString DemoDatabase::make(const QString& url)
{
    const QString maker = QStringLiteral("demo-maker");
    QString failure;
    try {
        QSqlDatabase db =
            Kav::DatabaseConnection::open(url, maker, Kav::DatabaseConnection::OpenMode::CreateIfMissing);
        KavDb::SchemaInstaller(db).create(false);
        KavDb::DemoData(db).write(false);
    } catch (const Kav::Exception& error) {
        failure = error.message();
    }
    Kav::DatabaseConnection::close(maker);
    return failure;
}

DemoDatabase::DemoDatabase()
    : m_url(QStringLiteral("sqlite://") + m_dir.filePath(QStringLiteral("demo.db"))), m_error(make(m_url))
{}

void DemoDatabase::openShared() const
{
    dtmDBGeral::open(m_url);
}

Kavenso::Session DemoDatabase::centralSession()
{
    Kavenso::Session session;
    session.filial = Central;
    return session;
}
