#pragma once
// The commands of the kavdb tool, run from its command line.

#include <QStringList>

namespace KavDb {

// Runs "kavdb <command> URL ..." (arguments as QCoreApplication::arguments() gives them, the
// program first). Prints errors to stderr and returns the process exit status.
int runCommandLine(const QStringList& arguments);

} // namespace KavDb
