// kavhost: the desktop host. Reads its configuration, opens the shared database, and shows the
// main window from whose menu the screens' packages are opened; with --script it runs a script
// against the same window instead of waiting for a user, and exits with the script's outcome.

#include "ClientContext.h"
#include "DatabaseModule.h"
#include "DatabaseOpenFailure.h"
#include "DialogService.h"
#include "GuiDialogService.h"
#include "HostConfiguration.h"
#include "HostIdentity.h"
#include "HostLanguage.h"
#include "HostMainWindow.h"
#include "InstallLayout.h"
#include "KavException.h"
#include "SchemaVersion.h"
#include "ScriptedDialogService.h"
#include "ScriptRunner.h"
#include "ServerAccess.h"

#include <cstdio>
#include <optional>
#include <QApplication>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

using namespace Kav::Host;

namespace {

constexpr int kExitScriptFailed = 1;
constexpr int kExitBadConfiguration = 2;

// A script runs headless when there is no display to show it on.
void chooseOffscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QString statusText(const HostConfiguration& config)
{
    const QString database = QUrl(config.databaseUrl).toDisplayString(QUrl::RemovePassword);
    return QStringLiteral("Filial %1 · servidor %2:%3 · banco %4")
        .arg(config.filial, config.serverHost)
        .arg(config.serverPort)
        .arg(database);
}

int runScript(HostMainWindow& window, Kav::ScriptedDialogService& dialogs, const HostConfiguration& config)
{
    QTextStream out(stdout);
    ScriptRunner runner(window, dialogs, out);
    const ScriptResult result = runner.runFile(config.scriptFile);
    if (!config.grabFile.isEmpty()) {
        if (window.grab().save(config.grabFile))
            out << "picture of the main window: " << config.grabFile << Qt::endl;
        else
            out << "could not save the picture " << config.grabFile << Qt::endl;
    }
    // The runner has already reported a failure in full.
    if (result.ok)
        out << "script " << config.scriptFile << ": every expectation held" << Qt::endl;
    else
        out << "script " << config.scriptFile << " failed at line " << result.line << Qt::endl;
    window.close();
    return result.ok ? 0 : kExitScriptFailed;
}

// How this client reaches its application server, beyond host and port.
Kav::ServerAccess serverAccess(const HostConfiguration& config)
{
    Kav::ServerAccess access{config.serverToken, config.serverCertificate};
    if (config.serverTimeoutMs() > 0)
        access.callTimeoutMs = config.serverTimeoutMs();
    return access;
}

// Reads the configuration before any display is needed, so that --help and a refused
// configuration are answered on a terminal without one. Returns the exit code when the program
// ends here.
std::optional<int> readConfiguration(int argc, char** argv, HostConfiguration& config, HostDefaults& defaults)
{
    const QCoreApplication core(argc, argv);
    defaults = HostDefaults::forThisProcess();
    try {
        config = HostConfiguration::resolve(QCoreApplication::arguments(),
                                            QProcessEnvironment::systemEnvironment(), defaults);
    } catch (const Kav::Exception& error) {
        std::fprintf(stderr, "kavhost: %s\n%s", qPrintable(error.message()),
                     qPrintable(HostConfiguration::helpText()));
        return kExitBadConfiguration;
    }
    if (config.helpRequested) {
        std::printf("%s", qPrintable(HostConfiguration::helpText()));
        return 0;
    }
    return std::nullopt;
}

// Opens the shared database and checks its schema; what the user is told when that fails. The
// driver's own words go to the log (standard error), not to the message box.
std::optional<QString> openDatabase(Kav::DatabaseModule& database, const HostConfiguration& config,
                                    const HostDefaults& defaults)
{
    try {
        database.open(config.databaseUrl);
    } catch (const Kav::Exception& error) {
        const QString message =
            DatabaseOpenFailure::message(config.databaseUrl, config.databaseUrl == defaults.databaseUrl
                                                                 ? DatabaseOpenFailure::Origin::DemoDefault
                                                                 : DatabaseOpenFailure::Origin::Configured);
        // On a terminal both are read: what to do, then the driver's words under it.
        std::fprintf(stderr, "kavhost: %s\n(%s)\n", qPrintable(message), qPrintable(error.message()));
        return message;
    }
    try {
        KavDb::SchemaVersion(database.database()).requireUsable();
    } catch (const Kav::Exception& error) {
        // The schema's refusals are written for the user: they name the kavdb command to run.
        std::fprintf(stderr, "kavhost: %s\n", qPrintable(error.message()));
        return error.message();
    }
    // Start-up is a command of its own: the user's first command, maybe long after, is checked
    // against a database restarted meanwhile like every later one.
    database.commandEnded();
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    HostConfiguration config;
    HostDefaults defaults;
    if (const std::optional<int> exitCode = readConfiguration(argc, argv, config, defaults))
        return *exitCode;
    const bool scripted = !config.scriptFile.isEmpty();
    if (scripted)
        chooseOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    // The user's settings (last folder saved in, preview zoom) are kept under these names.
    QApplication::setOrganizationName(QStringLiteral("Kav"));
    QApplication::setApplicationName(QStringLiteral("kavhost"));
    QApplication::setApplicationDisplayName(HostIdentity::productName());
    QApplication::setWindowIcon(HostIdentity::icon());
    if (!HostLanguage::install(app))
        std::fprintf(stderr, "kavhost: Qt's Brazilian Portuguese translation is not installed "
                             "(qt6-translations-l10n); Qt's own dialogs stay in English.\n");

    // A script answers the dialogs itself; a person sees them.
    auto scriptedDialogs = scripted ? std::make_unique<Kav::ScriptedDialogService>() : nullptr;
    Kav::ScriptedDialogService* const script = scriptedDialogs.get();
    std::unique_ptr<Kav::DialogService> dialogs;
    if (scriptedDialogs)
        dialogs = std::move(scriptedDialogs);
    else
        dialogs = std::make_unique<Kav::GuiDialogService>();
    Kav::ClientContext context(std::move(dialogs), config.session());

    context.setServerAccess(serverAccess(config));

    if (const std::optional<QString> refusal = openDatabase(context.database(), config, defaults)) {
        context.dialogs().showError(*refusal);
        return kExitBadConfiguration;
    }

    HostMainWindow window(context, Kav::InstallLayout::packagesDir(), statusText(config));
    window.show();
    window.activateWindow();
    if (script)
        QTimer::singleShot(0, &window, [&window, script, &config] {
            QApplication::exit(runScript(window, *script, config));
        });
    return QApplication::exec();
}
