#include "TMessages.h"

#include "KavException.h"

#include <QFile>

namespace {
const QChar kSeparator = QLatin1Char('|');
} // namespace

TMessages::TMessages(QObject* parent) : QObject(parent)
{
}

void TMessages::loadFromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Kav::Exception(QStringLiteral("cannot read the message catalogue %1: %2").arg(fileName, file.errorString()));
    QStringList entries;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            entries << line;
    }
    m_messages = entries;
    m_file = fileName;
}

QString TMessages::Msg(const QString& key) const
{
    for (const QString& entry : m_messages) {
        const int bar = entry.indexOf(kSeparator);
        if (bar >= 0 && QStringView(entry).left(bar) == key)
            return entry.mid(bar + 1);
    }
    return key;
}
