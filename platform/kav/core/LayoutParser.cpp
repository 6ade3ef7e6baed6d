#include "LayoutParser.h"

#include "LayoutError.h"

namespace Kav {

namespace {

const QString kObject = QStringLiteral("object");
const QString kInherited = QStringLiteral("inherited");
const QString kInline = QStringLiteral("inline");
const QString kEnd = QStringLiteral("end");

bool isComponentKeyword(const QString& word)
{
    return word == kObject || word == kInherited || word == kInline;
}

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.');
}

} // namespace

LayoutParser::LayoutParser(const QString& text, const QString& fileName) : m_text(text), m_fileName(fileName)
{}

void LayoutParser::fail(int line, const QString& text) const
{
    throw LayoutError(m_fileName, line, text);
}

void LayoutParser::skipBlanksAndComments()
{
    while (m_pos < m_text.size()) {
        const QChar c = m_text.at(m_pos);
        if (c == QLatin1Char('\n')) {
            ++m_line;
            ++m_pos;
        } else if (c.isSpace()) {
            ++m_pos;
        } else if (m_text.mid(m_pos, 2) == QLatin1String("//")) {
            while (m_pos < m_text.size() && m_text.at(m_pos) != QLatin1Char('\n'))
                ++m_pos;
        } else {
            return;
        }
    }
}

// A text is a run of quoted parts ('it''s') and character codes (#13) written without blanks
// between them, as long texts are stored.
LayoutParser::Token LayoutParser::scanString()
{
    Token token{Token::Type::String, QString(), m_line};
    while (m_pos < m_text.size()) {
        const QChar c = m_text.at(m_pos);
        if (c == QLatin1Char('\'')) {
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.size() || m_text.at(m_pos) == QLatin1Char('\n'))
                    fail(token.line, QStringLiteral("unterminated text"));
                const QChar q = m_text.at(m_pos++);
                if (q != QLatin1Char('\''))
                    token.text.append(q);
                else if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('\''))
                    token.text.append(m_text.at(m_pos++));
                else
                    break;
            }
        } else if (c == QLatin1Char('#')) {
            const int start = ++m_pos;
            while (m_pos < m_text.size() && m_text.at(m_pos).isDigit())
                ++m_pos;
            bool ok = false;
            const uint code = m_text.mid(start, m_pos - start).toUInt(&ok);
            if (!ok || code > 0xFFFF)
                fail(m_line, QStringLiteral("bad character code in text"));
            token.text.append(QChar(char16_t(code)));
        } else {
            break;
        }
    }
    return token;
}

LayoutParser::Token LayoutParser::scan()
{
    skipBlanksAndComments();
    if (m_pos >= m_text.size())
        return Token{Token::Type::End, QString(), m_line};
    const QChar c = m_text.at(m_pos);
    if (c == QLatin1Char('\'') || c == QLatin1Char('#'))
        return scanString();
    const bool signedNumber =
        c == QLatin1Char('-') && m_pos + 1 < m_text.size() && m_text.at(m_pos + 1).isDigit();
    if (c.isDigit() || signedNumber) {
        const int start = m_pos++;
        while (m_pos < m_text.size() &&
               (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == QLatin1Char('.')))
            ++m_pos;
        return Token{Token::Type::Number, m_text.mid(start, m_pos - start), m_line};
    }
    if (c.isLetter() || c == QLatin1Char('_')) {
        const int start = m_pos;
        while (m_pos < m_text.size() && isIdentifierChar(m_text.at(m_pos)))
            ++m_pos;
        return Token{Token::Type::Identifier, m_text.mid(start, m_pos - start), m_line};
    }
    ++m_pos;
    return Token{Token::Type::Symbol, QString(c), m_line};
}

LayoutParser::Token LayoutParser::next()
{
    if (m_peeked) {
        Token token = *m_peeked;
        m_peeked.reset();
        return token;
    }
    return scan();
}

const LayoutParser::Token& LayoutParser::peek()
{
    if (!m_peeked)
        m_peeked = scan();
    return *m_peeked;
}

LayoutParser::Token LayoutParser::expect(Token::Type type, const QString& what)
{
    Token token = next();
    if (token.type != type)
        fail(token.line, QStringLiteral("%1 expected, found '%2'").arg(what, token.text));
    return token;
}

void LayoutParser::expectSymbol(QChar symbol)
{
    const Token token = next();
    if (token.type != Token::Type::Symbol || token.text != QString(symbol))
        fail(token.line, QStringLiteral("'%1' expected, found '%2'").arg(symbol).arg(token.text));
}

LayoutNode LayoutParser::parse()
{
    const Token keyword = next();
    if (keyword.type != Token::Type::Identifier || !isComponentKeyword(keyword.text))
        fail(keyword.line, QStringLiteral("a layout starts with 'object' or 'inherited'"));
    LayoutNode root = parseNode(keyword);
    const Token rest = next();
    if (rest.type != Token::Type::End)
        fail(rest.line, QStringLiteral("text after the end of the root component"));
    return root;
}

LayoutNode LayoutParser::parseNode(const Token& keyword)
{
    LayoutNode node;
    node.inherited = keyword.text != kObject;
    node.line = keyword.line;
    node.name = expect(Token::Type::Identifier, QStringLiteral("component name")).text;
    expectSymbol(QLatin1Char(':'));
    node.className = expect(Token::Type::Identifier, QStringLiteral("class name")).text;
    // A frame's position index ("[0]") only orders components in the designer.
    if (peek().type == Token::Type::Symbol && peek().text == QLatin1String("[")) {
        next();
        expect(Token::Type::Number, QStringLiteral("index"));
        expectSymbol(QLatin1Char(']'));
    }
    for (;;) {
        const Token token = next();
        if (token.type == Token::Type::End)
            fail(node.line, QStringLiteral("component %1 has no 'end'").arg(node.name));
        if (token.type != Token::Type::Identifier)
            fail(token.line, QStringLiteral("property name expected, found '%1'").arg(token.text));
        if (token.text == kEnd)
            return node;
        if (isComponentKeyword(token.text)) {
            node.children.append(parseNode(token));
            continue;
        }
        expectSymbol(QLatin1Char('='));
        node.properties.append(LayoutProperty{token.text, parseValue(), token.line});
    }
}

QString LayoutParser::parseStringSum(const Token& first)
{
    QString text = first.text;
    while (peek().type == Token::Type::Symbol && peek().text == QLatin1String("+")) {
        next();
        text += expect(Token::Type::String, QStringLiteral("text after '+'")).text;
    }
    return text;
}

QByteArray LayoutParser::parseBinary(int line)
{
    QByteArray hex;
    while (m_pos < m_text.size() && m_text.at(m_pos) != QLatin1Char('}')) {
        const QChar c = m_text.at(m_pos++);
        if (c == QLatin1Char('\n'))
            ++m_line;
        else if (isxdigit(c.toLatin1()))
            hex.append(c.toLatin1());
        else if (!c.isSpace())
            fail(m_line, QStringLiteral("binary data holds a character that is not hexadecimal"));
    }
    if (m_pos >= m_text.size())
        fail(line, QStringLiteral("binary data has no closing '}'"));
    ++m_pos;
    if (hex.size() % 2 != 0)
        fail(line, QStringLiteral("binary data has an odd number of hexadecimal digits"));
    return QByteArray::fromHex(hex);
}

LayoutValue LayoutParser::parseValue()
{
    const Token token = next();
    LayoutValue value;
    switch (token.type) {
    case Token::Type::String:
        value.kind = LayoutValue::Kind::String;
        value.scalar = parseStringSum(token);
        return value;
    case Token::Type::Number: {
        bool ok = false;
        const int integer = token.text.toInt(&ok);
        if (ok) {
            value.kind = LayoutValue::Kind::Integer;
            value.scalar = integer;
            return value;
        }
        const double real = token.text.toDouble(&ok);
        if (!ok)
            fail(token.line, QStringLiteral("bad number '%1'").arg(token.text));
        value.kind = LayoutValue::Kind::Float;
        value.scalar = real;
        return value;
    }
    case Token::Type::Identifier:
        if (token.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
            token.text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
            value.kind = LayoutValue::Kind::Boolean;
            value.scalar = token.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
        } else {
            value.kind = LayoutValue::Kind::Identifier;
            value.scalar = token.text;
        }
        return value;
    case Token::Type::Symbol:
        break;
    case Token::Type::End:
        fail(token.line, QStringLiteral("value expected at the end of the file"));
    }
    if (token.text == QLatin1String("[")) {
        value.kind = LayoutValue::Kind::Set;
        if (peek().type == Token::Type::Symbol && peek().text == QLatin1String("]")) {
            next();
            return value;
        }
        for (;;) {
            const Token member = next();
            if (member.type != Token::Type::Identifier && member.type != Token::Type::Number)
                fail(member.line, QStringLiteral("set member expected, found '%1'").arg(member.text));
            value.items.append(member.text);
            const Token separator = next();
            if (separator.type == Token::Type::Symbol && separator.text == QLatin1String("]"))
                return value;
            if (separator.type != Token::Type::Symbol || separator.text != QLatin1String(","))
                fail(separator.line, QStringLiteral("',' or ']' expected in a set"));
        }
    }
    if (token.text == QLatin1String("(")) {
        value.kind = LayoutValue::Kind::List;
        for (;;) {
            const Token item = next();
            if (item.type == Token::Type::Symbol && item.text == QLatin1String(")"))
                return value;
            if (item.type == Token::Type::String)
                value.items.append(parseStringSum(item));
            else if (item.type == Token::Type::Number || item.type == Token::Type::Identifier)
                value.items.append(item.text);
            else
                fail(item.line, item.type == Token::Type::End
                                    ? QStringLiteral("list has no closing ')'")
                                    : QStringLiteral("bad list item '%1'").arg(item.text));
        }
    }
    if (token.text == QLatin1String("{")) {
        value.kind = LayoutValue::Kind::Binary;
        value.binary = parseBinary(token.line);
        return value;
    }
    fail(token.line, QStringLiteral("value expected, found '%1'").arg(token.text));
}

} // namespace Kav
