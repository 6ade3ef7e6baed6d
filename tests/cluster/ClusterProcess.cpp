#include "ClusterProcess.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>

namespace {

constexpr int kScriptTimeoutMs = 120000;
constexpr int kPortAttempts = 50;
constexpr quint16 kFirstPort = 20000;
constexpr quint16 kPortRange = 30000;
// The cluster stops by itself after this even when the test dies before stopping it.
const QString kLifetimeSeconds = QStringLiteral("600");

} // namespace

ClusterProcess::~ClusterProcess()
{
    stop();
}

QString ClusterProcess::haproxyMissing()
{
    return QStandardPaths::findExecutable(QStringLiteral("haproxy")).isEmpty() &&
                   !QFile::exists(QStringLiteral("/usr/sbin/haproxy"))
               ? QStringLiteral("haproxy is not installed (scripts/install-deps installs it)")
               : QString();
}

quint16 ClusterProcess::freePorts(int count)
{
    for (int attempt = 0; attempt < kPortAttempts; ++attempt) {
        const auto first = quint16(kFirstPort + QRandomGenerator::global()->bounded(kPortRange));
        QList<QTcpServer*> held;
        bool free = true;
        for (int i = 0; i < count && free; ++i) {
            held.append(new QTcpServer);
            free = held.last()->listen(QHostAddress::LocalHost, quint16(first + i));
        }
        qDeleteAll(held);
        if (free)
            return first;
    }
    return 0;
}

QString ClusterProcess::run(const QStringList& arguments, bool* ok) const
{
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KAV_CLUSTER_DIR"), m_dir.path());
    environment.insert(QStringLiteral("KAV_BUILD"), QStringLiteral(KAV_BINARY_DIR));
    script.setProcessEnvironment(environment);
    script.start(QStringLiteral(KAV_SOURCE_DIR "/scripts/start-cluster"), arguments);
    *ok = script.waitForFinished(kScriptTimeoutMs) && script.exitStatus() == QProcess::NormalExit &&
          script.exitCode() == 0;
    return QString::fromUtf8(script.readAll());
}

bool ClusterProcess::start(int servers, const QString& databaseUrl)
{
    const quint16 port = freePorts(servers + 1);
    if (port == 0) {
        m_output = QStringLiteral("no %1 free consecutive ports").arg(servers + 1);
        return false;
    }
    bool ok = false;
    m_output = run({QString::number(servers), "--port", QString::number(port), "--database", databaseUrl,
                    "--seconds", kLifetimeSeconds},
                   &ok);
    m_running = true;
    static const QRegularExpression balancer(QStringLiteral("^balancer: 127\\.0\\.0\\.1:(\\d+)$"),
                                             QRegularExpression::MultilineOption);
    static const QRegularExpression server(QStringLiteral("^kavserver: \\S+ pid (\\d+)$"),
                                           QRegularExpression::MultilineOption);
    m_balancerPort = quint16(balancer.match(m_output).captured(1).toUInt());
    for (auto it = server.globalMatch(m_output); it.hasNext();)
        m_serverPids.append(it.next().captured(1).toLongLong());
    return ok && m_balancerPort == port && m_serverPids.size() == servers;
}

void ClusterProcess::stop()
{
    if (!m_running)
        return;
    m_running = false;
    bool ok = false;
    run({QStringLiteral("stop")}, &ok);
}

QString ClusterProcess::balancerLog() const
{
    QFile log(m_dir.filePath(QStringLiteral("haproxy.log")));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}
