#include "ProgramRun.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace {

// Generous: a loaded machine runs the demo data into Firebird in well under this.
constexpr int ProgramTimeoutMs = 120000;

} // namespace

ProgramRun runProgram(const QString& program, const QStringList& arguments, const QStringList& environment)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KAV_BINARY_DIR "/bin/") + program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(ProgramTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
