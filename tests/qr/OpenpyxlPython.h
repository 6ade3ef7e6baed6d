#pragma once
// The Python that reads workbooks in the tests: Debian's, which has openpyxl (python3-openpyxl),
// before any other python3 on the PATH.

#include <QProcess>
#include <QString>

inline QString pythonWithOpenpyxl()
{
    for (const QString& python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
        if (probe.waitForFinished() && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
            return python;
    }
    return {};
}
