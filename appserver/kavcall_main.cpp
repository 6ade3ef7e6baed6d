// kavcall: an operator's command-line client of the application server.

#include "KavcallCommand.h"
#include "RpcDefaults.h"

#include <cstdio>
#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString defaultServer = QProcessEnvironment::systemEnvironment().value(
        QStringLiteral("KAV_SERVER"), QStringLiteral("127.0.0.1:%1").arg(Kav::Rpc::kDefaultServerPort));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return KavcallCommand::run(app.arguments(), defaultServer, out, err);
}
