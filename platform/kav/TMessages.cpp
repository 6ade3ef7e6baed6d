#include "TMessages.h"

#include "KavException.h"

#include <QFile>

namespace {
const QChar kKeyTextSeparator = QLatin1Char('|');
} // namespace

TMessages::TMessages(QObject* parent) : QObject(parent) {}

void TMessages::loadFromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Kav::Exception(
            QStringLiteral("cannot read the message catalogue %1: %2").arg(fileName, file.errorString()));
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
        const int bar = entry.indexOf(kKeyTextSeparator);
        if (bar >= 0 && QStringView(entry).left(bar) == key)
            return entry.mid(bar + 1);
    }
    return key;
}

QString TMessages::Format(const QString& text, const QStringList& values)
{
    const QString placeholder = QStringLiteral("%s");
    QString result;
    int from = 0;
    int used = 0;
    for (int at = text.indexOf(placeholder); at >= 0; at = text.indexOf(placeholder, from)) {
        result += text.mid(from, at - from);
        result += values.value(used++);
        from = at + placeholder.size();
    }
    return result + text.mid(from);
}
