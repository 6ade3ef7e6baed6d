#pragma once
// A real kavserver as a child process, for tests and benchmarks that must kill it, starve it of
// its database or load it from outside: starts it, learns its port from the first log line,
// keeps everything it logs, and stops or kills it.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class KavServerProcess
{
public:
    KavServerProcess();
    ~KavServerProcess();
    KavServerProcess(const KavServerProcess&) = delete;
    KavServerProcess& operator=(const KavServerProcess&) = delete;

    // Starts kavserver from the build tree with `arguments` (add "--port", "0" for any free port)
    // and waits for it to listen. False when it exited or did not listen in time; log() says why.
    bool start(const QStringList& arguments, const QStringList& extraEnvironment = {});
    // The next start runs the server with at most `count` open descriptors (soft and hard), as a
    // service given a low LimitNOFILE; 0: the test's own limit.
    void setDescriptorLimit(int count) { m_descriptorLimit = count; }
    // SIGKILL, as a crash or an operator's kill -9 would end it.
    void kill();
    // SIGTERM and waits for the exit; the exit code, or -1 when it did not stop in time.
    int terminate();

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    quint16 port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    // Everything written on stderr so far.
    QString log();

    static QString binary(const QString& name);

private:
    QProcess m_process;
    // The log goes to a file, never a pipe: a busy server must not block on a full pipe while
    // nobody reads it (a load run logs a line per call).
    QTemporaryDir m_logDir;
    QString m_logFile;
    quint16 m_port = 0;
    int m_descriptorLimit = 0;
};
