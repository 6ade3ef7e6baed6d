#include "PrivatePostgres.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>

#include <pwd.h>
#include <unistd.h>

namespace {
constexpr int kToolTimeoutMs = 120000;
const QString kServerUser = QStringLiteral("postgres");

QString findBinDir()
{
    const QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
    for (const QString& version : found) {
        const QString bin = versions.filePath(version + QStringLiteral("/bin"));
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable())
            return bin;
    }
    return {};
}

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}
} // namespace

PrivatePostgres::PrivatePostgres() : m_bin(findBinDir()) {}

PrivatePostgres::~PrivatePostgres()
{
    if (m_running)
        pgCtl({QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("immediate")});
}

QString PrivatePostgres::url() const
{
    return QStringLiteral("postgresql://kav@127.0.0.1:%1/postgres").arg(m_port);
}

QString PrivatePostgres::run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_dir.path());
    if (runningAsRoot())
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), kServerUser, QStringLiteral("--"), program} +
                          arguments);
    else
        process.start(program, arguments);
    if (!process.waitForFinished(kToolTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return QStringLiteral("%1 failed: %2")
            .arg(QFileInfo(program).fileName(), QString::fromUtf8(process.readAll()));
    return {};
}

QString PrivatePostgres::pgCtl(const QStringList& arguments)
{
    return run(m_bin + QStringLiteral("/pg_ctl"),
               QStringList{QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-w"),
                           QStringLiteral("-l"), m_dir.filePath(QStringLiteral("server.log"))} +
                   arguments);
}

QString PrivatePostgres::start()
{
    if (m_bin.isEmpty())
        return QStringLiteral("PostgreSQL's initdb is not installed under /usr/lib/postgresql");
    if (!m_dir.isValid())
        return QStringLiteral("no temporary folder");
    if (runningAsRoot()) {
        const passwd* user = ::getpwnam(kServerUser.toLatin1().constData());
        if (!user || ::chown(QFile::encodeName(m_dir.path()).constData(), user->pw_uid, user->pw_gid) != 0)
            return QStringLiteral("the folder cannot be handed to the postgres user");
    }
    m_port = freeLoopbackPort();
    if (const QString failure =
            run(m_bin + QStringLiteral("/initdb"),
                {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-A"),
                 QStringLiteral("trust"), QStringLiteral("-U"), QStringLiteral("kav"), QStringLiteral("-E"),
                 QStringLiteral("UTF8"), QStringLiteral("--no-sync")});
        !failure.isEmpty())
        return failure;
    return startAgain();
}

QString PrivatePostgres::restart()
{
    // A fast restart ends every session with "terminating connection due to administrator
    // command", as a nightly backup or an update does.
    return pgCtl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("restart")});
}

QString PrivatePostgres::stop()
{
    const QString failure = pgCtl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")});
    m_running = !failure.isEmpty();
    return failure;
}

QString PrivatePostgres::startAgain()
{
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                                .arg(m_port)
                                .arg(m_dir.path());
    const QString failure = pgCtl({QStringLiteral("-o"), options, QStringLiteral("start")});
    m_running = failure.isEmpty();
    return failure;
}
