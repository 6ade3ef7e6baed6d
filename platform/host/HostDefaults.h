#pragma once
// Where kavhost finds its defaults when nothing is configured: the demo database and report
// layouts of the checkout it was built from, or the user's data folder for an installed copy.

#include <QString>

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

    // The checkout is the nearest folder above `executableDir` that holds both the `run` script
    // and `CMakeLists.txt`; `dataDir` and `configDir` serve when there is none.
    static HostDefaults find(const QString& executableDir, const QString& dataDir, const QString& configDir);
    // find() with the executable's folder and the user's standard locations.
    static HostDefaults forThisProcess();
};
