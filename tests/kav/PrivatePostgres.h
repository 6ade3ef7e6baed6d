#pragma once
// A PostgreSQL server of the test's own: a cluster made with initdb in a temporary folder,
// listening on a free loopback port, which the test may restart or stop at will without
// touching the shared server other tests use. As root, the server runs as the "postgres" user.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class PrivatePostgres
{
public:
    PrivatePostgres();
    ~PrivatePostgres();
    PrivatePostgres(const PrivatePostgres&) = delete;
    PrivatePostgres& operator=(const PrivatePostgres&) = delete;

    // Makes the cluster and starts it. Returns why it could not; empty when it runs.
    QString start();
    // Returns why it could not; empty when done.
    QString restart();
    QString stop();
    QString startAgain();

    // A URL for the shared connection (user "kav", database "postgres", no password).
    QString url() const;

private:
    QString pgCtl(const QStringList& arguments);
    QString run(const QString& program, const QStringList& arguments);

    QTemporaryDir m_dir;
    QString m_bin;
    quint16 m_port = 0;
    bool m_running = false;
};
