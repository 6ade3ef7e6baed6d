#include "RecentSaveFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace Kav {

namespace {

const QString kSetting = QStringLiteral("Arquivos/UltimaPastaSalva");

} // namespace

QString RecentSaveFolder::folder()
{
    const QString remembered = QSettings().value(kSetting).toString();
    return !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered : QDir::homePath();
}

QString RecentSaveFolder::startFor(const QString& suggested)
{
    if (!suggested.isEmpty() && QDir::isAbsolutePath(suggested))
        return suggested;
    return suggested.isEmpty() ? folder() : QDir(folder()).filePath(suggested);
}

void RecentSaveFolder::remember(const QString& savedFile)
{
    QSettings().setValue(kSetting, QFileInfo(savedFile).absolutePath());
}

} // namespace Kav
