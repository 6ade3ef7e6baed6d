#pragma once
// kavhost's configuration: read from an INI file, overridden by environment variables and then
// by command-line options, with working defaults for every value.

#include "HostDefaults.h"
#include "Kavenso.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace Kav::Host {

class HostConfiguration
{
public:
    QString configFile; // the INI file read; empty when there was none
    QString filial;
    QString serverHost; // one host, or a list "host:port,host:port" tried in order
    int serverPort = HostDefaults::kServerPort;
    QString databaseUrl;
    QString reportsDir;
    QString userReportsDir;
    QString serverToken;       // presented to the application server on connect
    QString serverCertificate; // PEM the server's TLS certificate must match; empty: plain TCP
    QString serverTimeout;     // seconds a server call may take; empty: the client's default
    QString scriptFile;        // run this script instead of waiting for the user
    QString grabFile;          // after the script, save a picture of the main window here
    bool helpRequested = false;

    // `arguments` as main() got them, program name first. Throws Kav::Exception for an unknown
    // option, a configuration file named but missing or unreadable, or a bad server address.
    static HostConfiguration resolve(const QStringList& arguments, const QProcessEnvironment& environment,
                                     const HostDefaults& defaults);
    static QString helpText();

    Kavenso::Session session() const;
    // serverTimeout in milliseconds; 0 when not set.
    int serverTimeoutMs() const;
};

} // namespace Kav::Host
