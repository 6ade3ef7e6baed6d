#include "KavServerProcess.h"

#include <csignal>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

namespace {

constexpr int kStartTimeoutMs = 30000;
constexpr int kStopTimeoutMs = 60000;
constexpr int kPollMs = 10;

} // namespace

KavServerProcess::KavServerProcess() : m_logFile(m_logDir.filePath(QStringLiteral("kavserver.log")))
{
    m_process.setStandardOutputFile(QProcess::nullDevice());
}

KavServerProcess::~KavServerProcess()
{
    if (isRunning())
        kill();
}

QString KavServerProcess::binary(const QString& name)
{
    return QStringLiteral(KAV_BINARY_DIR "/bin/") + name;
}

bool KavServerProcess::start(const QStringList& arguments, const QStringList& extraEnvironment)
{
    m_port = 0;
    m_process.setStandardErrorFile(m_logFile, QIODevice::Truncate);
    // An extra NAME=VALUE replaces the variable NAME: a process reads the first one of a name.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : extraEnvironment)
        environment.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    m_process.setProcessEnvironment(environment);
    if (m_descriptorLimit > 0)
        m_process.start(QStringLiteral("prlimit"),
                        QStringList{QStringLiteral("--nofile=%1:%1").arg(m_descriptorLimit),
                                    binary(QStringLiteral("kavserver"))} +
                            arguments);
    else
        m_process.start(binary(QStringLiteral("kavserver")), arguments);
    if (!m_process.waitForStarted(kStartTimeoutMs))
        return false;
    const QRegularExpression listening(QStringLiteral("listening on \\S+:(\\d+)"));
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        const QRegularExpressionMatch match = listening.match(log());
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            return true;
        }
        if (!isRunning())
            return false;
        // Waits with the event loop running: a relay or a server of this process may be what
        // the starting server is waiting for.
        QEventLoop pause;
        QTimer::singleShot(kPollMs, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return false;
}

QString KavServerProcess::log()
{
    QFile file(m_logFile);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void KavServerProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished(kStopTimeoutMs);
}

int KavServerProcess::terminate()
{
    if (isRunning()) {
        ::kill(pid_t(m_process.processId()), SIGTERM);
        // False also when the process had already ended: only a process still there timed out.
        if (!m_process.waitForFinished(kStopTimeoutMs) && isRunning())
            return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}
