#pragma once
// A form's keyed message catalogue: lines "KEY|text", looked up by exact key.

#include <QObject>
#include <QStringList>

class TMessages : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList Messages READ messages WRITE setMessages)
    // A catalogue file (UTF-8, one entry per line) that replaces the whole list.
    Q_PROPERTY(QString MessagesFile READ messagesFile WRITE loadFromFile)
    // Where the designer placed the component; no effect at run time.
    Q_PROPERTY(int Left MEMBER m_left)
    Q_PROPERTY(int Top MEMBER m_top)
public:
    explicit TMessages(QObject* parent = nullptr);

    const QStringList& messages() const { return m_messages; }
    void setMessages(const QStringList& messages) { m_messages = messages; }
    const QString& messagesFile() const { return m_file; }
    // Throws Kav::Exception when the file cannot be read.
    void loadFromFile(const QString& fileName);

    // The text of `key`: everything after the entry's first "|". A key the catalogue lacks is
    // a fault of the catalogue; its text is the key itself, so the message names what is missing.
    Q_INVOKABLE QString Msg(const QString& key) const;

    // A catalogue text with its "%s" placeholders filled in order; missing values leave them empty.
    static QString Format(const QString& text, const QStringList& values);

private:
    QStringList m_messages;
    QString m_file;
    int m_left = 0;
    int m_top = 0;
};
