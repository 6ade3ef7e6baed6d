#pragma once
// Where kavhost finds its defaults when nothing is configured: the report layouts that come with
// it, and the demo database in the user's data folder.

#include <QString>

namespace Kav::Host {

struct HostDefaults
{
    static constexpr int kServerPort = 8211;

    QString filial;
    QString serverHost;
    int serverPort = kServerPort;
    QString databaseUrl;
    QString reportsDir;
    QString userReportsDir;
    QString configFile; // read when neither --config nor KAV_CONFIG names one

    // The layouts are those installed beside the program in `executableDir`; the database and the
    // user's own layouts are in `dataDir`, the configuration file in `configDir`.
    static HostDefaults find(const QString& executableDir, const QString& dataDir, const QString& configDir);
    // find() with the executable's folder and the user's standard locations.
    static HostDefaults forThisProcess();
};

} // namespace Kav::Host
