#include "StrictJson.h"

#include "RpcError.h"

#include <cstdlib>
#include <locale.h>
#include <QJsonArray>
#include <QJsonObject>

namespace Kav::Rpc::StrictJson {

namespace {

constexpr int kHexDigitsPerEscape = 4;
constexpr uchar kFirstPrintable = 0x20;

// Numbers read in the C locale whatever the process's own says (a decimal comma would cut them).
locale_t cLocale()
{
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

class Reader
{
public:
    explicit Reader(const QByteArray& text) : m_text(text) {}

    QJsonValue document()
    {
        skipBlanks();
        QJsonValue value = readValue(0);
        skipBlanks();
        if (!atEnd())
            fail(QStringLiteral("text after the value"));
        return value;
    }

private:
    [[noreturn]] void fail(const QString& what) const
    {
        throw RpcError(ParseError, QStringLiteral("malformed JSON: %1 at byte %2").arg(what).arg(m_at));
    }

    bool atEnd() const { return m_at >= m_text.size(); }
    uchar peek() const { return atEnd() ? 0 : uchar(m_text.at(m_at)); }

    void skipBlanks()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            ++m_at;
    }

    void expect(char c)
    {
        if (peek() != uchar(c))
            fail(QStringLiteral("'%1' expected").arg(QLatin1Char(c)));
        ++m_at;
    }

    void expectWord(QByteArrayView word)
    {
        if (!QByteArrayView(m_text).sliced(m_at).startsWith(word))
            fail(QStringLiteral("unknown word"));
        m_at += word.size();
    }

    QJsonValue readValue(int depth)
    {
        if (depth > kMaxDepth)
            fail(QStringLiteral("nesting deeper than %1").arg(kMaxDepth));
        switch (peek()) {
        case '{':
            return readObject(depth);
        case '[':
            return readArray(depth);
        case '"':
            return readString();
        case 't':
            expectWord("true");
            return true;
        case 'f':
            expectWord("false");
            return false;
        case 'n':
            expectWord("null");
            return QJsonValue::Null;
        default:
            return readNumber();
        }
    }

    QJsonValue readObject(int depth)
    {
        QJsonObject object;
        ++m_at;
        skipBlanks();
        if (peek() == '}') {
            ++m_at;
            return object;
        }
        for (;;) {
            skipBlanks();
            if (peek() != '"')
                fail(QStringLiteral("a member name expected"));
            const QString key = readString();
            skipBlanks();
            expect(':');
            skipBlanks();
            object.insert(key, readValue(depth + 1)); // the last of a repeated name holds
            skipBlanks();
            if (peek() == '}') {
                ++m_at;
                return object;
            }
            expect(',');
        }
    }

    QJsonValue readArray(int depth)
    {
        QJsonArray array;
        ++m_at;
        skipBlanks();
        if (peek() == ']') {
            ++m_at;
            return array;
        }
        for (;;) {
            skipBlanks();
            array.append(readValue(depth + 1));
            skipBlanks();
            if (peek() == ']') {
                ++m_at;
                return array;
            }
            expect(',');
        }
    }

    void skipDigits(bool required)
    {
        const qsizetype from = m_at;
        while (peek() >= '0' && peek() <= '9')
            ++m_at;
        if (required && m_at == from)
            fail(QStringLiteral("a digit expected"));
    }

    QJsonValue readNumber()
    {
        const qsizetype from = m_at;
        if (peek() == '-')
            ++m_at;
        if (peek() == '0')
            ++m_at;
        else if (peek() >= '1' && peek() <= '9')
            skipDigits(false);
        else
            fail(QStringLiteral("a value expected"));
        if (peek() == '.') {
            ++m_at;
            skipDigits(true);
        }
        if (peek() == 'e' || peek() == 'E') {
            ++m_at;
            if (peek() == '+' || peek() == '-')
                ++m_at;
            skipDigits(true);
        }
        const QByteArray number = m_text.mid(from, m_at - from);
        return ::strtod_l(number.constData(), nullptr, cLocale());
    }

    int hexDigit()
    {
        const uchar c = peek();
        ++m_at;
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        --m_at;
        fail(QStringLiteral("a \\u escape needs four hexadecimal digits"));
    }

    char16_t unicodeEscape()
    {
        char16_t unit = 0;
        for (int i = 0; i < kHexDigitsPerEscape; ++i)
            unit = char16_t(unit * 16 + hexDigit());
        return unit;
    }

    char16_t escaped()
    {
        const uchar c = peek();
        ++m_at;
        switch (c) {
        case '"':
        case '\\':
        case '/':
            return c;
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        case 'u':
            return unicodeEscape();
        default:
            --m_at;
            fail(QStringLiteral("unknown escape"));
        }
    }

    // A run of plain bytes, which must be UTF-8.
    void appendPlain(QString& text, qsizetype from)
    {
        const QByteArrayView bytes = QByteArrayView(m_text).sliced(from, m_at - from);
        if (!bytes.isValidUtf8())
            fail(QStringLiteral("a text that is not UTF-8"));
        text += QString::fromUtf8(bytes);
    }

    QString readString()
    {
        ++m_at; // opening quote
        QString text;
        qsizetype plainFrom = m_at;
        for (;;) {
            if (atEnd())
                fail(QStringLiteral("unfinished text"));
            const uchar c = peek();
            if (c == '"' || c == '\\') {
                appendPlain(text, plainFrom);
                ++m_at;
                if (c == '"')
                    break;
                text += QChar(escaped());
                plainFrom = m_at;
            } else if (c < kFirstPrintable) {
                fail(QStringLiteral("a control character in a text"));
            } else {
                ++m_at;
            }
        }
        if (!QStringView(text).isValidUtf16())
            fail(QStringLiteral("a text escape naming half a character"));
        return text;
    }

    const QByteArray& m_text;
    qsizetype m_at = 0;
};

} // namespace

QJsonValue parse(const QByteArray& text)
{
    return Reader(text).document();
}

} // namespace Kav::Rpc::StrictJson
