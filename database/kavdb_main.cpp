// kavdb: creates the school-food database on any engine and fills it with demo, imported or
// generated data. Exit status: 0 done, 1 failed (the reason on stderr), 2 bad command line.

#include "KavDbCommands.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavdb"));
    return KavDb::runCommandLine(QCoreApplication::arguments());
}
