#include "ThreadDatabase.h"

#include "DatabaseConnection.h"

#include <atomic>

namespace {

struct ThreadConnection
{
    QString name;
    QString url;

    void close()
    {
        if (!name.isEmpty())
            Kav::DatabaseConnection::close(name);
        name.clear();
        url.clear();
    }
    ~ThreadConnection() { close(); }
};

thread_local ThreadConnection threadConnection;

QString newConnectionName()
{
    static std::atomic_int counter{0};
    return QStringLiteral("kavserver-worker-%1").arg(++counter);
}

} // namespace

QSqlDatabase ThreadDatabase::forCurrentThread(const QString& url)
{
    ThreadConnection& connection = threadConnection;
    if (!connection.name.isEmpty() && connection.url == url)
        return QSqlDatabase::database(connection.name, false);
    connection.close();
    const QString name = newConnectionName();
    QSqlDatabase db = Kav::DatabaseConnection::open(url, name);
    connection.name = name;
    connection.url = url;
    return db;
}

void ThreadDatabase::reset()
{
    threadConnection.close();
}
