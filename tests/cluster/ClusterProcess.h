#pragma once
// scripts/start-cluster run by a test: kavservers behind HAProxy on the test's own database and
// free loopback ports, with the balancer's port and the servers' pids read from what the script
// prints; stopped again when the object goes.

#include <QList>
#include <QString>
#include <QTemporaryDir>

class ClusterProcess
{
public:
    ClusterProcess() = default;
    ~ClusterProcess();
    ClusterProcess(const ClusterProcess&) = delete;
    ClusterProcess& operator=(const ClusterProcess&) = delete;

    // Empty when haproxy can be run; otherwise why not.
    static QString haproxyMissing();
    // The first of `count` consecutive loopback ports that are free now; 0 when none was found.
    static quint16 freePorts(int count);

    // False when the script failed; output() says why.
    bool start(int servers, const QString& databaseUrl);
    void stop();

    quint16 balancerPort() const { return m_balancerPort; }
    const QList<qint64>& serverPids() const { return m_serverPids; }
    QString output() const { return m_output; }
    // What HAProxy logged (servers going down and up).
    QString balancerLog() const;

private:
    QString run(const QStringList& arguments, bool* ok) const;

    QTemporaryDir m_dir;
    QString m_output;
    quint16 m_balancerPort = 0;
    QList<qint64> m_serverPids;
    bool m_running = false;
};
