#pragma once
// Reads the text of a stored layout (docs/layouts.md) into a tree of components, reporting
// syntax errors with the file and line.

#include "LayoutNode.h"

#include <optional>
#include <QString>

namespace Kav {

class LayoutParser
{
public:
    LayoutParser(const QString& text, const QString& fileName);

    // The root component. Throws LayoutError.
    LayoutNode parse();

private:
    struct Token
    {
        enum class Type { End, Identifier, String, Number, Symbol };
        Type type = Type::End;
        QString text;
        int line = 0;
    };

    Token next();
    const Token& peek();
    Token scan();
    Token scanString();
    void skipBlanksAndComments();

    LayoutNode parseNode(const Token& keyword);
    LayoutValue parseValue();
    QString parseStringSum(const Token& first);
    QByteArray parseBinary(int line);
    Token expect(Token::Type type, const QString& what);
    void expectSymbol(QChar symbol);
    [[noreturn]] void fail(int line, const QString& text) const;

    QString m_text;
    QString m_fileName;
    int m_pos = 0;
    int m_line = 1;
    std::optional<Token> m_peeked;
};

} // namespace Kav
