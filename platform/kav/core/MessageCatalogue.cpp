#include "MessageCatalogue.h"

#include "KavException.h"

#include <QFile>

namespace Kav {

namespace {
const QChar kKeyTextSeparator = QLatin1Char('|');
} // namespace

QStringList readCatalogue(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Exception(
            QStringLiteral("cannot read the message catalogue %1: %2").arg(fileName, file.errorString()));
    QStringList entries;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            entries << line;
    }
    return entries;
}

QString catalogueText(const QStringList& entries, const QString& key)
{
    for (const QString& entry : entries) {
        const qsizetype bar = entry.indexOf(kKeyTextSeparator);
        if (bar >= 0 && QStringView(entry).left(bar) == key)
            return entry.mid(bar + 1);
    }
    return key;
}

} // namespace Kav
