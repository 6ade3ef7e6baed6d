// kavcall: an operator's command-line client of the application server.

#include "KavcallCommand.h"

#include <cstdio>
#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return KavcallCommand::run(app.arguments(), QProcessEnvironment::systemEnvironment(), out, err);
}
