#include "HostDefaults.h"

#include "InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace Kav::Host {

namespace {

// The branch of the demo database the defaults log in to.
const QString kDemoFilial = QStringLiteral("0010");
const QString kLoopback = QStringLiteral("127.0.0.1");

} // namespace

HostDefaults HostDefaults::find(const QString& executableDir, const QString& dataDir,
                                const QString& configDir)
{
    HostDefaults defaults;
    defaults.filial = kDemoFilial;
    defaults.serverHost = kLoopback;
    defaults.databaseUrl = QStringLiteral("sqlite://") + QDir(dataDir).filePath(QStringLiteral("demo.db"));
    defaults.reportsDir =
        QDir(Kav::InstallLayout::dataDir(executableDir)).filePath(QStringLiteral("reports"));
    defaults.userReportsDir = QDir(dataDir).filePath(QStringLiteral("user-reports"));
    defaults.configFile = QDir(configDir).filePath(QStringLiteral("kav/kavhost.ini"));
    return defaults;
}

HostDefaults HostDefaults::forThisProcess()
{
    return find(QCoreApplication::applicationDirPath(),
                QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                    QStringLiteral("/kav"),
                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

} // namespace Kav::Host
