#include "HostDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// The branch of the demo database the defaults log in to.
const QString kDemoFilial = QStringLiteral("0010");
const QString kLoopback = QStringLiteral("127.0.0.1");

QString checkoutAbove(const QString& executableDir)
{
    QDir dir(executableDir);
    do {
        if (QFileInfo(dir.filePath(QStringLiteral("run"))).isFile() &&
            QFileInfo(dir.filePath(QStringLiteral("CMakeLists.txt"))).isFile())
            return dir.absolutePath();
    } while (dir.cdUp());
    return {};
}

} // namespace

HostDefaults HostDefaults::find(const QString& executableDir, const QString& dataDir,
                                const QString& configDir)
{
    HostDefaults defaults;
    defaults.filial = kDemoFilial;
    defaults.serverHost = kLoopback;
    const QString checkout = checkoutAbove(executableDir);
    if (checkout.isEmpty()) {
        defaults.databaseUrl =
            QStringLiteral("sqlite://") + QDir(dataDir).filePath(QStringLiteral("demo.db"));
        defaults.reportsDir = QDir(dataDir).filePath(QStringLiteral("reports"));
    } else {
        defaults.databaseUrl =
            QStringLiteral("sqlite://") + QDir(checkout).filePath(QStringLiteral("var/demo.db"));
        defaults.reportsDir = QDir(checkout).filePath(QStringLiteral("reports"));
    }
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
