#include "ReportCatalog.h"

#include "LayoutReader.h"

#include <QDir>
#include <QMap>

namespace Qr {

namespace {
constexpr int kLastTwoDigitCode = 99;
}

QString ReportCatalog::fileName(const QString& reportCode, const QString& layoutCode)
{
    return reportCode + layoutCode + Extension;
}

QList<ReportEntry> ReportCatalog::list(const QStringList& folders, const QString& reportCode)
{
    QMap<QString, ReportEntry> byCode;
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QDir dir(folder);
        const QStringList files =
            dir.entryList({reportCode + QLatin1Char('*') + Extension}, QDir::Files, QDir::Name);
        for (const QString& file : files) {
            // Name filters ignore case on some systems; the report code and the ending must match exactly.
            if (!file.startsWith(reportCode) || !file.endsWith(Extension))
                continue;
            const QString code =
                file.mid(reportCode.size(), file.size() - reportCode.size() - Extension.size());
            if (code.isEmpty() || byCode.contains(code))
                continue;
            const QString path = dir.filePath(file);
            const std::optional<QString> title = LayoutReader::readTitle(path);
            if (!title)
                continue;
            byCode.insert(code, {code, title->isEmpty() ? file : *title, path});
        }
    }
    return byCode.values();
}

QString ReportCatalog::find(const QStringList& folders, const QString& reportCode, const QString& layoutCode)
{
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString path = QDir(folder).filePath(fileName(reportCode, layoutCode));
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

QString ReportCatalog::freeLayoutCode(const QStringList& folders, const QString& reportCode)
{
    for (int number = 1; number <= kLastTwoDigitCode; ++number) {
        const QString code = QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
        if (find(folders, reportCode, code).isEmpty())
            return code;
    }
    return {};
}

} // namespace Qr
