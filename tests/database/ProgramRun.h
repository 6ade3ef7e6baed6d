#pragma once
// Runs one of the project's programs (build/bin) to its end and keeps what it said.

#include <QString>
#include <QStringList>

struct ProgramRun
{
    int exitCode = -1; // -1: it crashed or did not finish in time
    QString out;
    QString err;
};

// `environment`: NAME=value entries added to this process's environment.
ProgramRun runProgram(const QString& program, const QStringList& arguments,
                      const QStringList& environment = {});
