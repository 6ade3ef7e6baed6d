#include "ServerConfig.h"

#include "KavException.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace KavServer {

namespace {

constexpr int kMinutesPerHour = 60;

[[noreturn]] void refuse(const QString& where, const QString& value)
{
    throw Kav::Exception(QStringLiteral("kavserver: invalid %1: \"%2\"").arg(where, value));
}

int positiveNumber(const QString& where, const QString& text, int minimum = 1)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok || number < minimum)
        refuse(where, text);
    return number;
}

quint16 portNumber(const QString& where, const QString& text)
{
    constexpr int kHighestPort = 65535;
    const int number = positiveNumber(where, text, 0);
    if (number > kHighestPort)
        refuse(where, text);
    return quint16(number);
}

QHostAddress address(const QString& where, const QString& text)
{
    const QHostAddress parsed(text.trimmed());
    if (parsed.isNull())
        refuse(where, text);
    return parsed;
}

// The first line of a file holding a secret, without its line end.
QString tokenFrom(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Kav::Exception(QStringLiteral("kavserver: cannot read the access token file %1: %2")
                                 .arg(path, file.errorString()));
    return QString::fromUtf8(file.readLine()).trimmed();
}

void readFile(const QString& path, ServerConfig& config)
{
    if (!QFileInfo(path).isFile())
        throw Kav::Exception(QStringLiteral("kavserver: the configuration file %1 does not exist").arg(path));
    QSettings file(path, QSettings::IniFormat);
    const auto text = [&](const char* key) { return file.value(QLatin1String(key)).toString(); };
    if (file.contains("Server/Listen"))
        config.listen = address(path + ": Server/Listen", text("Server/Listen"));
    if (file.contains("Server/Port"))
        config.port = portNumber(path + ": Server/Port", text("Server/Port"));
    if (file.contains("Server/Threads"))
        config.threads = positiveNumber(path + ": Server/Threads", text("Server/Threads"));
    if (file.contains("Server/IdleTimeoutSeconds"))
        config.idleTimeoutSeconds =
            positiveNumber(path + ": Server/IdleTimeoutSeconds", text("Server/IdleTimeoutSeconds"));
    if (file.contains("Server/LineCapBytes"))
        config.lineCap = positiveNumber(path + ": Server/LineCapBytes", text("Server/LineCapBytes"));
    if (file.contains("Server/DrainSeconds"))
        config.drainSeconds = positiveNumber(path + ": Server/DrainSeconds", text("Server/DrainSeconds"));
    if (file.contains("Server/MaxConnections"))
        config.maxConnections =
            positiveNumber(path + ": Server/MaxConnections", text("Server/MaxConnections"));
    const QDir folder = QFileInfo(path).absoluteDir();
    if (file.contains("Server/Certificate"))
        config.certificateFile = folder.absoluteFilePath(text("Server/Certificate"));
    if (file.contains("Server/PrivateKey"))
        config.privateKeyFile = folder.absoluteFilePath(text("Server/PrivateKey"));
    if (file.contains("Server/AccessTokenFile"))
        config.accessToken = tokenFrom(folder.absoluteFilePath(text("Server/AccessTokenFile")));
    if (file.contains("Database/Url"))
        config.databaseUrl = text("Database/Url");
    if (file.contains("Expiry/MaxAgeHours"))
        config.expiryMinutes =
            positiveNumber(path + ": Expiry/MaxAgeHours", text("Expiry/MaxAgeHours")) * kMinutesPerHour;
    // Minutes, where an hour is too coarse (a small disk, a test): they win over the hours.
    if (file.contains("Expiry/MaxAgeMinutes"))
        config.expiryMinutes = positiveNumber(path + ": Expiry/MaxAgeMinutes", text("Expiry/MaxAgeMinutes"));
    if (file.contains("Expiry/IntervalMinutes"))
        config.expiryIntervalMinutes =
            positiveNumber(path + ": Expiry/IntervalMinutes", text("Expiry/IntervalMinutes"));
}

} // namespace

QString ServerConfig::defaultDatabaseUrl()
{
    return QStringLiteral("sqlite://") +
           QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
               .filePath(QStringLiteral("kav/demo.db"));
}

ServerConfig ServerConfig::resolve(const QStringList& arguments, const QProcessEnvironment& environment,
                                   QString* helpText)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Application server of the school-food client."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption configOption(
        QStringLiteral("config"), QStringLiteral("Read settings from the INI FILE."), QStringLiteral("FILE"));
    const QCommandLineOption listenOption(QStringLiteral("listen"),
                                          QStringLiteral("Listen on ADDR (default 127.0.0.1)."),
                                          QStringLiteral("ADDR"));
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Listen on port N (0: any free port)."), QStringLiteral("N"));
    const QCommandLineOption databaseOption(
        QStringLiteral("database"),
        QStringLiteral("Database URL (sqlite:///file.db, postgresql://..., firebird://...)."),
        QStringLiteral("URL"));
    const QCommandLineOption threadsOption(QStringLiteral("threads"),
                                           QStringLiteral("Calls run at once (worker threads)."),
                                           QStringLiteral("N"));
    const QCommandLineOption maxConnectionsOption(QStringLiteral("max-connections"),
                                                  QStringLiteral("Clients served at once; more are refused."),
                                                  QStringLiteral("N"));
    parser.addOptions(
        {help, configOption, listenOption, portOption, databaseOption, threadsOption, maxConnectionsOption});
    if (!parser.parse(arguments))
        throw Kav::Exception(QStringLiteral("kavserver: %1").arg(parser.errorText()));
    if (!parser.positionalArguments().isEmpty())
        throw Kav::Exception(QStringLiteral("kavserver: unexpected argument \"%1\"")
                                 .arg(parser.positionalArguments().first()));
    if (parser.isSet(help) && helpText) {
        *helpText = parser.helpText();
        return {};
    }

    ServerConfig config;
    config.databaseUrl = defaultDatabaseUrl();
    if (parser.isSet(configOption))
        readFile(parser.value(configOption), config);
    if (environment.contains(QStringLiteral("KAV_SERVER_TOKEN")))
        config.accessToken = environment.value(QStringLiteral("KAV_SERVER_TOKEN")).trimmed();
    if (environment.contains(QStringLiteral("KAV_DATABASE")))
        config.databaseUrl = environment.value(QStringLiteral("KAV_DATABASE"));
    if (parser.isSet(listenOption))
        config.listen = address(QStringLiteral("--listen"), parser.value(listenOption));
    if (parser.isSet(portOption))
        config.port = portNumber(QStringLiteral("--port"), parser.value(portOption));
    if (parser.isSet(databaseOption))
        config.databaseUrl = parser.value(databaseOption);
    if (parser.isSet(threadsOption))
        config.threads = positiveNumber(QStringLiteral("--threads"), parser.value(threadsOption));
    if (parser.isSet(maxConnectionsOption))
        config.maxConnections =
            positiveNumber(QStringLiteral("--max-connections"), parser.value(maxConnectionsOption));
    return config;
}

} // namespace KavServer
