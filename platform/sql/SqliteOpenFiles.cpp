#include "SqliteOpenFiles.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <climits>
#include <unistd.h>

namespace Kav {

namespace {

const QString kDescriptors = QStringLiteral("/proc/self/fd");
// How the kernel names the target of a descriptor whose file was unlinked.
const QString kDeletedMark = QStringLiteral(" (deleted)");

QString descriptorTarget(const QString& link)
{
    std::array<char, PATH_MAX> target{};
    const ssize_t length = ::readlink(QFile::encodeName(link).constData(), target.data(), target.size());
    return length <= 0 ? QString() : QFile::decodeName(QByteArray(target.data(), int(length)));
}

} // namespace

bool SqliteOpenFiles::anyDeleted(const QString& databasePath)
{
    // The kernel names files by their real path; the folder is resolved, as the file itself may
    // be gone.
    const QFileInfo info(databasePath);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    const QString database =
        (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
    const QStringList deletedNames{database + kDeletedMark, database + QStringLiteral("-wal") + kDeletedMark,
                                   database + QStringLiteral("-shm") + kDeletedMark};
    const QDir descriptors(kDescriptors);
    // Every kind of entry: a descriptor is listed as what its link points to, if anything.
    const auto everyEntry = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
    for (const QString& entry : descriptors.entryList(everyEntry)) {
        if (deletedNames.contains(descriptorTarget(descriptors.filePath(entry))))
            return true;
    }
    return false;
}

} // namespace Kav
