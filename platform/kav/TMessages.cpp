#include "TMessages.h"

#include "MessageCatalogue.h"

TMessages::TMessages(QObject* parent) : QObject(parent) {}

void TMessages::loadFromFile(const QString& fileName)
{
    m_messages = Kav::readCatalogue(fileName);
    m_file = fileName;
}

QString TMessages::Msg(const QString& key) const
{
    return Kav::catalogueText(m_messages, key);
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
