#pragma once
// What kavserver runs with: defaults, then the INI file, then the environment, then the options.

#include "RpcDefaults.h"

#include <QHostAddress>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace KavServer {

struct ServerConfig
{
    static constexpr quint16 kDefaultPort = Kav::Rpc::kDefaultServerPort;
    static constexpr int kDefaultThreads = 8;
    static constexpr int kDefaultIdleTimeoutSeconds = 30;
    static constexpr int kDefaultExpiryMinutes = 24 * 60;
    static constexpr int kDefaultExpiryIntervalMinutes = 60;
    static constexpr int kDefaultDrainSeconds = 60;
    static constexpr int kDefaultMaxConnections = 4096;

    QHostAddress listen = QHostAddress(QHostAddress::LocalHost);
    quint16 port = kDefaultPort; // 0: any free port (announced on stderr)
    QString databaseUrl;
    int threads = kDefaultThreads;
    int idleTimeoutSeconds = kDefaultIdleTimeoutSeconds; // for a request line left unfinished
    qsizetype lineCap = 0;                               // 0: the protocol's default
    int expiryMinutes = kDefaultExpiryMinutes;           // prepared data older than this is removed
    int expiryIntervalMinutes = kDefaultExpiryIntervalMinutes;
    int drainSeconds = kDefaultDrainSeconds;     // how long a stop waits for calls in flight
    int maxConnections = kDefaultMaxConnections; // clients served at once; more are refused
    // TLS and the clients' access token (ServerSecurity); required off loopback.
    QString certificateFile; // PEM
    QString privateKeyFile;  // PEM, unencrypted
    QString accessToken;     // from Server/AccessTokenFile or KAV_SERVER_TOKEN, never a command line

    // `arguments` as QCoreApplication::arguments() gives them. Throws Kav::Exception naming a bad
    // option or setting; `helpText` receives the usage when --help was asked (then nothing else
    // is read).
    static ServerConfig resolve(const QStringList& arguments, const QProcessEnvironment& environment,
                                QString* helpText = nullptr);

    // The demo database kavdb makes in the user's data folder: sqlite://.../kav/demo.db.
    static QString defaultDatabaseUrl();
};

} // namespace KavServer
