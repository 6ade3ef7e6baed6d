#include "InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Kav::InstallLayout {

// KAV_BIN_TO_DATA and KAV_BIN_TO_PACKAGES: the paths from the programs' folder to the others, as
// the build installs them.

QString dataDir(const QString& programDir)
{
    return QDir::cleanPath(QDir(programDir).filePath(QStringLiteral(KAV_BIN_TO_DATA)));
}

QString packagesDir(const QString& programDir)
{
    const QString installed = QDir::cleanPath(QDir(programDir).filePath(QStringLiteral(KAV_BIN_TO_PACKAGES)));
    return QFileInfo(installed).isDir() ? installed : QDir::cleanPath(programDir);
}

QString dataDir()
{
    return dataDir(QCoreApplication::applicationDirPath());
}

QString packagesDir()
{
    return packagesDir(QCoreApplication::applicationDirPath());
}

} // namespace Kav::InstallLayout
