// kavserver: the application server. Hosts the remote data modules, answers remote calls over
// TCP and stops cleanly on SIGTERM or SIGINT.

#include "CallLog.h"
#include "DatabaseConnection.h"
#include "DatabaseUrl.h"
#include "KavException.h"
#include "RdmNutriCard.h"
#include "SchemaVersion.h"
#include "ServerRuntime.h"
#include "SignalWatcher.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QTextStream>
#include <sys/resource.h>

using namespace KavServer;
using namespace KavServer::Zve41300;

namespace {

// Opens the database once before listening, so a wrong URL, a missing file, a missing driver or a
// schema of another version stops the server at once with the reason instead of failing every
// call. A database server that does not answer yet may come back: the server starts, says why
// calls fail, and serves as soon as the database answers (each call opens its connection anew
// until then; the schema version is not checked in that case).
void checkDatabase(const QString& url)
{
    const QString probe = QStringLiteral("kavserver-startup-check");
    const Kav::DatabaseUrl parsed = Kav::DatabaseUrl::parse(url);
    QString refusal;
    try {
        refusal = KavDb::SchemaVersion(Kav::DatabaseConnection::open(parsed, probe)).refusal();
        Kav::DatabaseConnection::close(probe);
    } catch (const Kav::Exception& error) {
        if (parsed.engine() == Kav::DatabaseUrl::Engine::SQLite ||
            !QSqlDatabase::isDriverAvailable(parsed.driverName()))
            throw;
        CallLog::write(
            QStringLiteral("kavserver: %1; calls fail until the database answers").arg(error.message()));
    }
    if (!refusal.isEmpty())
        throw Kav::Exception(QStringLiteral("kavserver: ") + refusal);
}

// Every connection takes a descriptor: the soft limit (1,024 on Debian) is raised to the hard
// one the service was given (LimitNOFILE in the systemd unit).
void raiseDescriptorLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    raiseDescriptorLimit();
    QCoreApplication app(argc, argv);
    try {
        QString help;
        const ServerConfig config =
            ServerConfig::resolve(app.arguments(), QProcessEnvironment::systemEnvironment(), &help);
        if (!help.isEmpty()) {
            QTextStream(stdout) << help;
            return 0;
        }
        checkDatabase(config.databaseUrl);
        ModuleRegistry modules;
        modules.add(Zve41300::makeRdmNutriCard());
        ServerRuntime runtime(config, modules,
                              {Zve41300::nutriCardExpiryTask(std::chrono::minutes(config.expiryMinutes))});
        SignalWatcher signalWatcher;
        QObject::connect(&signalWatcher, &SignalWatcher::stopRequested, &runtime, [&](int signalNumber) {
            CallLog::write(
                QStringLiteral("kavserver: signal %1, finishing the calls in flight").arg(signalNumber));
            runtime.stop();
        });
        QObject::connect(&runtime, &ServerRuntime::stopped, &app, &QCoreApplication::quit);
        runtime.start();
        CallLog::write(QStringLiteral("kavserver listening on %1:%2, database %3")
                           .arg(config.listen.toString())
                           .arg(runtime.port())
                           .arg(Kav::DatabaseUrl::parse(config.databaseUrl).toDisplayString()));
        const int status = app.exec();
        CallLog::write(QStringLiteral("kavserver stopped"));
        return status;
    } catch (const Kav::Exception& error) {
        CallLog::write(error.message());
        return 1;
    }
}
