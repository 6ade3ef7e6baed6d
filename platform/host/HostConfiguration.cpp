#include "HostConfiguration.h"

#include "KavException.h"
#include "ServerList.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace Kav::Host {

namespace {

// A value taken from the INI key, then the environment variable, then the option, the last one
// given winning. Paths in the INI file are relative to the file's folder.
struct Setting
{
    const char* option;
    const char* variable;
    const char* key;
    QString HostConfiguration::*field;
    bool isPath;
};

const Setting kSettings[] = {
    {"filial", "KAV_FILIAL", "Session/Filial", &HostConfiguration::filial, false},
    {"database", "KAV_DATABASE", "Database/Url", &HostConfiguration::databaseUrl, false},
    {"reports", "KAV_REPORTS", "Reports/Dir", &HostConfiguration::reportsDir, true},
    {nullptr, "KAV_USER_REPORTS", "Reports/UserDir", &HostConfiguration::userReportsDir, true},
    {nullptr, "KAV_SERVER_TOKEN", "Server/AccessToken", &HostConfiguration::serverToken, false},
    {nullptr, "KAV_SERVER_CERTIFICATE", "Server/TrustedCertificate", &HostConfiguration::serverCertificate,
     true},
    {nullptr, "KAV_SERVER_TIMEOUT", "Server/Timeout", &HostConfiguration::serverTimeout, false},
};

constexpr int kMsPerSecond = 1000;
constexpr int kMaxTimeoutSeconds = 24 * 60 * 60;

int timeoutSeconds(const QString& text)
{
    bool ok = false;
    const int seconds = text.trimmed().toInt(&ok);
    return ok && seconds > 0 && seconds <= kMaxTimeoutSeconds ? seconds : 0;
}

QList<QCommandLineOption> options()
{
    return {
        {"config",
         "Read the configuration from FILE (default: $KAV_CONFIG, else the user's kav/kavhost.ini).", "FILE"},
        {"filial", "Log in to branch CODE.", "CODE"},
        {"server", "Reach the application server at HOST:PORT.", "HOST:PORT"},
        {"database", "Open the database at URL (sqlite:///file.db, postgresql://..., firebird://...).",
         "URL"},
        {"reports", "Read report layouts from DIR.", "DIR"},
        {"script", "Run the script FILE against the host and exit with its outcome.", "FILE"},
        {"grab", "After the script, save a picture of the main window to FILE (PNG).", "FILE"},
    };
}

// The connection takes a bare IPv6 address as a host, but in a setting "::1:8211" would be
// ambiguous: there it comes in brackets, "[::1]:8211".
bool hasBareIpv6(const QString& address)
{
    for (const QString& entry : address.split(QLatin1Char(',')))
        if (entry.count(QLatin1Char(':')) > 1 && !entry.trimmed().startsWith(QLatin1Char('[')))
            return true;
    return false;
}

// One address, or several "host:port" entries separated by commas that the connection tries in
// order; entries without a port take the one configured so far.
void parseServer(const QString& address, const QString& origin, HostConfiguration& config)
{
    const std::optional<Kav::ServerList> servers = Kav::ServerList::parse(address, config.serverPort);
    if (!servers || hasBareIpv6(address))
        throw Kav::Exception(
            QStringLiteral("%1: \"%2\" is not a server address HOST:PORT").arg(origin, address));
    const Kav::ServerAddress first = servers->addresses().constFirst();
    const bool single = servers->addresses().size() == 1;
    config.serverHost = single ? first.host : servers->toString();
    if (single)
        config.serverPort = first.port;
}

QString configFileFor(const QCommandLineParser& parser, const QProcessEnvironment& environment,
                      const HostDefaults& defaults, bool* named)
{
    *named = true;
    if (parser.isSet("config"))
        return parser.value("config");
    if (environment.contains("KAV_CONFIG"))
        return environment.value("KAV_CONFIG");
    *named = false;
    return defaults.configFile;
}

void readIni(const QString& file, HostConfiguration& config)
{
    QSettings ini(file, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        throw Kav::Exception(QStringLiteral("%1: not a readable configuration file").arg(file));
    const QDir folder = QFileInfo(file).absoluteDir();
    for (const Setting& setting : kSettings) {
        const QString value = ini.value(setting.key).toString().trimmed();
        if (!value.isEmpty())
            config.*setting.field = setting.isPath ? folder.absoluteFilePath(value) : value;
    }
    // Unquoted commas make a list in an INI file: "Host=a:8211, b:8211" is one.
    const QString host = ini.value("Server/Host").toStringList().join(',').trimmed();
    const QString port = ini.value("Server/Port").toString().trimmed();
    const QString origin = file + QStringLiteral(" [Server]");
    // The file's port first, as "host:PORT" for the host so far ("host:0" without its "0"), so
    // that the file's host entries without a port of their own take it.
    if (!port.isEmpty())
        parseServer(Kav::ServerAddress{config.serverHost, 0}.toString().chopped(1) + port, origin, config);
    if (!host.isEmpty())
        parseServer(host, origin, config);
    config.configFile = QFileInfo(file).absoluteFilePath();
}

} // namespace

HostConfiguration HostConfiguration::resolve(const QStringList& arguments,
                                             const QProcessEnvironment& environment,
                                             const HostDefaults& defaults)
{
    QCommandLineParser parser;
    parser.addOptions(options());
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(arguments))
        throw Kav::Exception(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        throw Kav::Exception(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));

    HostConfiguration config;
    // --help-all (Qt's options too) is answered like --help, before any display is needed.
    config.helpRequested = parser.isSet(help) || parser.isSet(QStringLiteral("help-all"));
    config.filial = defaults.filial;
    config.serverHost = defaults.serverHost;
    config.serverPort = defaults.serverPort;
    config.databaseUrl = defaults.databaseUrl;
    config.reportsDir = defaults.reportsDir;
    config.userReportsDir = defaults.userReportsDir;

    bool named = false;
    const QString file = configFileFor(parser, environment, defaults, &named);
    if (QFileInfo(file).isFile())
        readIni(file, config);
    else if (named)
        throw Kav::Exception(QStringLiteral("configuration file %1 not found").arg(file));

    for (const Setting& setting : kSettings) {
        if (environment.contains(setting.variable))
            config.*setting.field = environment.value(setting.variable);
    }
    if (environment.contains("KAV_SERVER"))
        parseServer(environment.value("KAV_SERVER"), "KAV_SERVER", config);

    for (const Setting& setting : kSettings) {
        if (setting.option && parser.isSet(setting.option))
            config.*setting.field = parser.value(setting.option);
    }
    if (parser.isSet("server"))
        parseServer(parser.value("server"), "--server", config);
    if (!config.serverTimeout.isEmpty() && timeoutSeconds(config.serverTimeout) == 0)
        throw Kav::Exception(QStringLiteral("Server/Timeout (KAV_SERVER_TIMEOUT): \"%1\" is not a number of "
                                            "seconds from 1 to %2")
                                 .arg(config.serverTimeout)
                                 .arg(kMaxTimeoutSeconds));
    config.scriptFile = parser.value("script");
    config.grabFile = parser.value("grab");
    return config;
}

QString HostConfiguration::helpText()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("kavhost: the desktop host of the client's screens."));
    parser.addOptions(options());
    parser.addHelpOption();
    return parser.helpText();
}

int HostConfiguration::serverTimeoutMs() const
{
    return timeoutSeconds(serverTimeout) * kMsPerSecond;
}

Kavenso::Session HostConfiguration::session() const
{
    Kavenso::Session session;
    session.filial = filial;
    session.webUrl = serverHost;
    session.webPort = serverPort;
    session.reportsDir = reportsDir;
    session.userReportsDir = userReportsDir;
    return session;
}

} // namespace Kav::Host
