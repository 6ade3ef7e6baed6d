#include "RpcJsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

namespace Kav::Rpc::JsonText {

namespace {

// A cursor over text known to be valid JSON: it only stops at the end of malformed input.
class Cursor
{
public:
    explicit Cursor(const QByteArray& text) : m_text(text) {}

    qsizetype position() const { return m_position; }
    bool atEnd() const { return m_position >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text.at(m_position); }
    void step() { ++m_position; }

    void skipBlanks()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            step();
    }

    void skipString()
    {
        step(); // opening quote
        while (!atEnd() && peek() != '"') {
            if (peek() == '\\')
                step();
            step();
        }
        step();
    }

    // Skips one value, of any nesting depth.
    void skipValue()
    {
        int depth = 0;
        do {
            switch (peek()) {
            case '"':
                skipString();
                continue;
            case '[':
            case '{':
                ++depth;
                break;
            case ']':
            case '}':
                --depth;
                break;
            default:
                if (depth == 0 && !isScalarChar(peek()))
                    return;
            }
            step();
        } while (!atEnd() && (depth > 0 || isScalarChar(peek())));
    }

    QByteArray slice(qsizetype from) const { return m_text.mid(from, m_position - from); }

private:
    static bool isScalarChar(char c) { return QByteArrayView("+-.0123456789Eaeflnrstu").contains(c); }

    const QByteArray& m_text;
    qsizetype m_position = 0;
};

QString decodedKey(const QByteArray& quoted)
{
    return QJsonDocument::fromJson('[' + quoted + ']').array().at(0).toString();
}

} // namespace

QList<QByteArray> arrayElements(const QByteArray& array)
{
    QList<QByteArray> elements;
    Cursor cursor(array);
    cursor.skipBlanks();
    cursor.step(); // [
    cursor.skipBlanks();
    while (cursor.peek() != ']') {
        const qsizetype start = cursor.position();
        cursor.skipValue();
        if (cursor.position() == start)
            break; // not a value: the text was not valid JSON after all
        elements.append(cursor.slice(start));
        cursor.skipBlanks();
        if (cursor.peek() == ',')
            cursor.step();
        cursor.skipBlanks();
    }
    return elements;
}

QByteArray memberValue(const QByteArray& object, const QString& key)
{
    QByteArray found;
    Cursor cursor(object);
    cursor.skipBlanks();
    cursor.step(); // {
    cursor.skipBlanks();
    while (cursor.peek() == '"') {
        const qsizetype keyStart = cursor.position();
        cursor.skipString();
        const QByteArray quotedKey = cursor.slice(keyStart);
        cursor.skipBlanks();
        cursor.step(); // :
        cursor.skipBlanks();
        const qsizetype valueStart = cursor.position();
        cursor.skipValue();
        if (decodedKey(quotedKey) == key)
            found = cursor.slice(valueStart);
        cursor.skipBlanks();
        if (cursor.peek() == ',')
            cursor.step();
        cursor.skipBlanks();
    }
    return found;
}

} // namespace Kav::Rpc::JsonText
