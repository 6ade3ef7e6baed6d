#include "Expression.h"

#include "ColumnMap.h"

#include "ExpressionContext.h"
#include "KavException.h"
#include "ValueFormatter.h"

#include <cmath>
#include <QHash>
#include <QList>
#include <QSet>

namespace Qr {

namespace detail {

enum class NodeKind { Literal, Column, Parameter, Negate, Not, Binary, Call, Aggregate };
enum class BinaryOp {
    Add,
    Subtract,
    Multiply,
    Divide,
    Concat,
    Equal,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    And,
    Or
};
enum class Function {
    If,
    Format,
    Coalesce,
    Upper,
    Lower,
    Trim,
    Substr,
    Len,
    Round,
    Abs,
    IsNull,
    Page,
    Pages,
    Now,
    Continued,
    ColumnBlock
};
enum class AggregateKind { Sum, Avg, Count, Min, Max, Distinct, Join };

struct Node
{
    NodeKind kind = NodeKind::Literal;
    QVariant value; // Literal
    QString name;   // Column, Parameter
    QString key;    // Column: the name as the run's ColumnMap knows it
    BinaryOp op = BinaryOp::Add;
    Function function = Function::If;
    AggregateKind aggregate = AggregateKind::Sum;
    QList<std::shared_ptr<Node>> children;
};

} // namespace detail

using namespace detail;

namespace {

struct FunctionInfo
{
    Function function;
    int minArgs;
    int maxArgs;
};

const QHash<QString, FunctionInfo>& functions()
{
    static const QHash<QString, FunctionInfo> table = {
        {QStringLiteral("if"), {Function::If, 3, 3}},
        {QStringLiteral("format"), {Function::Format, 2, 2}},
        {QStringLiteral("coalesce"), {Function::Coalesce, 1, 16}},
        {QStringLiteral("upper"), {Function::Upper, 1, 1}},
        {QStringLiteral("lower"), {Function::Lower, 1, 1}},
        {QStringLiteral("trim"), {Function::Trim, 1, 1}},
        {QStringLiteral("substr"), {Function::Substr, 2, 3}},
        {QStringLiteral("len"), {Function::Len, 1, 1}},
        {QStringLiteral("round"), {Function::Round, 1, 2}},
        {QStringLiteral("abs"), {Function::Abs, 1, 1}},
        {QStringLiteral("isnull"), {Function::IsNull, 1, 1}},
        {QStringLiteral("page"), {Function::Page, 0, 0}},
        {QStringLiteral("pages"), {Function::Pages, 0, 0}},
        {QStringLiteral("now"), {Function::Now, 0, 0}},
        {QStringLiteral("continued"), {Function::Continued, 0, 0}},
        {QStringLiteral("columnblock"), {Function::ColumnBlock, 0, 0}},
    };
    return table;
}

const QHash<QString, AggregateKind>& aggregates()
{
    static const QHash<QString, AggregateKind> table = {
        {QStringLiteral("sum"), AggregateKind::Sum},
        {QStringLiteral("avg"), AggregateKind::Avg},
        {QStringLiteral("count"), AggregateKind::Count},
        {QStringLiteral("min"), AggregateKind::Min},
        {QStringLiteral("max"), AggregateKind::Max},
        {QStringLiteral("distinct"), AggregateKind::Distinct},
        {QStringLiteral("join"), AggregateKind::Join},
    };
    return table;
}

// Deepest nesting of parentheses and function arguments an expression may have.
constexpr int kMaxNesting = 64;

enum class TokenKind { End, Number, Text, Identifier, Parameter, Symbol };

struct Token
{
    TokenKind kind = TokenKind::End;
    QString text;
    qsizetype position = 0;
};

// Recursive descent over the expression text; one instance per compile.
class Parser
{
public:
    explicit Parser(const QString& text) : m_text(text) { advance(); }

    std::shared_ptr<Node> parse()
    {
        auto root = parseOr();
        if (m_token.kind != TokenKind::End)
            fail(QStringLiteral("texto inesperado '%1'").arg(m_token.text));
        return root;
    }

    bool usesPageCount = false;
    bool usesAggregates = false;
    QStringList parameters;
    QStringList columns;

private:
    [[noreturn]] void fail(const QString& what) const
    {
        throw Kav::Exception(QStringLiteral("Expressão inválida \"%1\": %2 (posição %3).")
                                 .arg(m_text, what, QString::number(m_token.position + 1)));
    }

    void advance()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
        m_token = Token{TokenKind::End, QString(), m_pos};
        if (m_pos >= m_text.size())
            return;
        const QChar c = m_text[m_pos];
        const auto isIdentChar = [](QChar ch) { return ch.isLetterOrNumber() || ch == QLatin1Char('_'); };
        if (c.isDigit() ||
            (c == QLatin1Char('.') && m_pos + 1 < m_text.size() && m_text[m_pos + 1].isDigit())) {
            qsizetype end = m_pos;
            while (end < m_text.size() && (m_text[end].isDigit() || m_text[end] == QLatin1Char('.')))
                ++end;
            m_token = Token{TokenKind::Number, m_text.mid(m_pos, end - m_pos), m_pos};
            m_pos = end;
        } else if (c == QLatin1Char('\'')) {
            QString value;
            qsizetype i = m_pos + 1;
            for (;; ++i) {
                if (i >= m_text.size())
                    fail(QStringLiteral("texto sem aspa final"));
                if (m_text[i] == QLatin1Char('\'')) {
                    if (i + 1 < m_text.size() && m_text[i + 1] == QLatin1Char('\'')) {
                        value += QLatin1Char('\'');
                        ++i;
                        continue;
                    }
                    break;
                }
                value += m_text[i];
            }
            m_token = Token{TokenKind::Text, value, m_pos};
            m_pos = i + 1;
        } else if (c == QLatin1Char(':') || c.isLetter() || c == QLatin1Char('_')) {
            const bool parameter = c == QLatin1Char(':');
            qsizetype end = m_pos + (parameter ? 1 : 0);
            while (end < m_text.size() && isIdentChar(m_text[end]))
                ++end;
            const QString name = m_text.mid(m_pos + (parameter ? 1 : 0), end - m_pos - (parameter ? 1 : 0));
            if (name.isEmpty())
                fail(QStringLiteral("nome de parâmetro esperado após ':'"));
            m_token = Token{parameter ? TokenKind::Parameter : TokenKind::Identifier, name, m_pos};
            m_pos = end;
        } else {
            static const QStringList twoChar = {QStringLiteral("<>"), QStringLiteral("<="),
                                                QStringLiteral(">="), QStringLiteral("!="),
                                                QStringLiteral("||")};
            const QString pair = m_text.mid(m_pos, 2);
            if (twoChar.contains(pair)) {
                m_token = Token{TokenKind::Symbol, pair, m_pos};
                m_pos += 2;
            } else if (QStringLiteral("+-*/(),=<>").contains(c)) {
                m_token = Token{TokenKind::Symbol, QString(c), m_pos};
                ++m_pos;
            } else {
                fail(QStringLiteral("caractere inesperado '%1'").arg(c));
            }
        }
    }

    bool isSymbol(const char* symbol) const
    {
        return m_token.kind == TokenKind::Symbol && m_token.text == QLatin1String(symbol);
    }
    bool isKeyword(const char* word) const
    {
        return m_token.kind == TokenKind::Identifier &&
               m_token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    void expect(const char* symbol)
    {
        if (!isSymbol(symbol))
            fail(QStringLiteral("esperado '%1'").arg(QLatin1String(symbol)));
        advance();
    }

    static std::shared_ptr<Node> binary(BinaryOp op, std::shared_ptr<Node> left, std::shared_ptr<Node> right)
    {
        auto node = std::make_shared<Node>();
        node->kind = NodeKind::Binary;
        node->op = op;
        node->children = {std::move(left), std::move(right)};
        return node;
    }

    // Each nested level costs stack: a runaway nesting is a fault of the text, not a crash.
    struct Nesting
    {
        explicit Nesting(Parser& parser) : m_parser(parser)
        {
            if (++parser.m_depth > kMaxNesting)
                parser.fail(QStringLiteral("expressão aninhada demais"));
        }
        ~Nesting() { --m_parser.m_depth; }
        Parser& m_parser;
    };

    std::shared_ptr<Node> parseOr()
    {
        const Nesting nesting(*this);
        auto left = parseAnd();
        while (isKeyword("or")) {
            advance();
            left = binary(BinaryOp::Or, left, parseAnd());
        }
        return left;
    }

    std::shared_ptr<Node> parseAnd()
    {
        auto left = parseNot();
        while (isKeyword("and")) {
            advance();
            left = binary(BinaryOp::And, left, parseNot());
        }
        return left;
    }

    std::shared_ptr<Node> parseNot()
    {
        if (isKeyword("not")) {
            const Nesting nesting(*this);
            advance();
            auto node = std::make_shared<Node>();
            node->kind = NodeKind::Not;
            node->children = {parseNot()};
            return node;
        }
        return parseComparison();
    }

    std::shared_ptr<Node> parseComparison()
    {
        auto left = parseAdditive();
        static const QList<QPair<QString, BinaryOp>> ops = {
            {QStringLiteral("="), BinaryOp::Equal},         {QStringLiteral("<>"), BinaryOp::NotEqual},
            {QStringLiteral("!="), BinaryOp::NotEqual},     {QStringLiteral("<"), BinaryOp::Less},
            {QStringLiteral("<="), BinaryOp::LessEqual},    {QStringLiteral(">"), BinaryOp::Greater},
            {QStringLiteral(">="), BinaryOp::GreaterEqual},
        };
        for (const auto& [symbol, op] : ops) {
            if (m_token.kind == TokenKind::Symbol && m_token.text == symbol) {
                advance();
                return binary(op, left, parseAdditive());
            }
        }
        return left;
    }

    std::shared_ptr<Node> parseAdditive()
    {
        auto left = parseMultiplicative();
        for (;;) {
            BinaryOp op;
            if (isSymbol("+"))
                op = BinaryOp::Add;
            else if (isSymbol("-"))
                op = BinaryOp::Subtract;
            else if (isSymbol("||"))
                op = BinaryOp::Concat;
            else
                return left;
            advance();
            left = binary(op, left, parseMultiplicative());
        }
    }

    std::shared_ptr<Node> parseMultiplicative()
    {
        auto left = parseUnary();
        while (isSymbol("*") || isSymbol("/")) {
            const BinaryOp op = isSymbol("*") ? BinaryOp::Multiply : BinaryOp::Divide;
            advance();
            left = binary(op, left, parseUnary());
        }
        return left;
    }

    std::shared_ptr<Node> parseUnary()
    {
        if (isSymbol("-")) {
            const Nesting nesting(*this);
            advance();
            auto node = std::make_shared<Node>();
            node->kind = NodeKind::Negate;
            node->children = {parseUnary()};
            return node;
        }
        return parsePrimary();
    }

    QList<std::shared_ptr<Node>> parseArguments()
    {
        QList<std::shared_ptr<Node>> args;
        expect("(");
        if (!isSymbol(")")) {
            args.append(parseOr());
            while (isSymbol(",")) {
                advance();
                args.append(parseOr());
            }
        }
        expect(")");
        return args;
    }

    std::shared_ptr<Node> parsePrimary()
    {
        auto node = std::make_shared<Node>();
        const Token token = m_token;
        switch (token.kind) {
        case TokenKind::Number: {
            bool ok = false;
            const double number = token.text.toDouble(&ok);
            if (!ok)
                fail(QStringLiteral("número inválido '%1'").arg(token.text));
            node->value =
                token.text.contains(QLatin1Char('.')) ? QVariant(number) : QVariant(qlonglong(number));
            advance();
            return node;
        }
        case TokenKind::Text:
            node->value = token.text;
            advance();
            return node;
        case TokenKind::Parameter:
            node->kind = NodeKind::Parameter;
            node->name = token.text;
            if (!parameters.contains(token.text, Qt::CaseInsensitive))
                parameters.append(token.text);
            advance();
            return node;
        case TokenKind::Identifier:
            break;
        case TokenKind::Symbol:
            if (isSymbol("(")) {
                advance();
                auto inner = parseOr();
                expect(")");
                return inner;
            }
            fail(QStringLiteral("esperado um valor, encontrado '%1'").arg(token.text));
        case TokenKind::End:
            fail(QStringLiteral("expressão incompleta"));
        }

        advance();
        const QString lower = token.text.toLower();
        if (!isSymbol("(")) {
            if (lower == QLatin1String("null"))
                return node;
            if (lower == QLatin1String("true") || lower == QLatin1String("false")) {
                node->value = lower == QLatin1String("true");
                return node;
            }
            node->kind = NodeKind::Column;
            node->name = token.text;
            node->key = ColumnMap::keyOf(token.text);
            if (!columns.contains(token.text, Qt::CaseInsensitive))
                columns.append(token.text);
            return node;
        }
        if (const auto aggregate = aggregates().constFind(lower); aggregate != aggregates().cend()) {
            if (m_insideAggregate)
                fail(QStringLiteral("agregação dentro de agregação"));
            m_insideAggregate = true;
            node->children = parseArguments();
            m_insideAggregate = false;
            const int allowed = *aggregate == AggregateKind::Count ? 1 : 0;
            if (node->children.size() > 1 || node->children.size() < 1 - allowed)
                fail(QStringLiteral("%1 pede um argumento").arg(token.text));
            node->kind = NodeKind::Aggregate;
            node->aggregate = *aggregate;
            usesAggregates = true;
            return node;
        }
        const auto function = functions().constFind(lower);
        if (function == functions().cend())
            fail(QStringLiteral("função desconhecida '%1'").arg(token.text));
        node->children = parseArguments();
        if (node->children.size() < function->minArgs || node->children.size() > function->maxArgs)
            fail(QStringLiteral("número de argumentos errado para %1").arg(token.text));
        node->kind = NodeKind::Call;
        node->function = function->function;
        if (function->function == Function::Pages)
            usesPageCount = true;
        return node;
    }

    QString m_text;
    qsizetype m_pos = 0;
    Token m_token;
    bool m_insideAggregate = false;
    int m_depth = 0;
};

bool isIntegral(const QVariant& value)
{
    const int type = value.typeId();
    return type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::UInt ||
           type == QMetaType::ULongLong || type == QMetaType::Short || type == QMetaType::UShort;
}

// Negative, zero or positive; only for two non-null values.
int compareValues(const QVariant& left, const QVariant& right)
{
    if (ValueFormatter::isNumeric(left) && ValueFormatter::isNumeric(right)) {
        const double a = left.toDouble();
        const double b = right.toDouble();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    if (ValueFormatter::isDate(left) && ValueFormatter::isDate(right)) {
        const QDateTime a = left.toDateTime();
        const QDateTime b = right.toDateTime();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    return QString::compare(ValueFormatter::format(left), ValueFormatter::format(right));
}

QVariant arithmetic(BinaryOp op, const QVariant& left, const QVariant& right)
{
    if (left.isNull() || right.isNull())
        return {};
    if (op != BinaryOp::Divide && isIntegral(left) && isIntegral(right)) {
        const qlonglong a = left.toLongLong();
        const qlonglong b = right.toLongLong();
        switch (op) {
        case BinaryOp::Add:
            return a + b;
        case BinaryOp::Subtract:
            return a - b;
        default:
            return a * b;
        }
    }
    const double a = left.toDouble();
    const double b = right.toDouble();
    switch (op) {
    case BinaryOp::Add:
        return a + b;
    case BinaryOp::Subtract:
        return a - b;
    case BinaryOp::Multiply:
        return a * b;
    default:
        return b == 0 ? QVariant() : QVariant(a / b);
    }
}

QVariant evaluateNode(const Node& node, const ExpressionContext& context);

QVariant aggregateOver(const Node& node, const ExpressionContext& context)
{
    const Node* argument = node.children.isEmpty() ? nullptr : node.children.first().get();
    qlonglong count = 0;
    double sum = 0;
    bool integral = true;
    QVariant best;
    QSet<QString> seen;
    QStringList joined; // the distinct texts in the order of their rows
    context.forEachRowInScope([&](const ExpressionContext& row) {
        if (!argument) {
            ++count;
            return;
        }
        const QVariant value = evaluateNode(*argument, row);
        if (value.isNull())
            return;
        ++count;
        switch (node.aggregate) {
        case AggregateKind::Sum:
        case AggregateKind::Avg:
            integral = integral && isIntegral(value);
            sum += value.toDouble();
            break;
        case AggregateKind::Min:
            if (best.isNull() || compareValues(value, best) < 0)
                best = value;
            break;
        case AggregateKind::Max:
            if (best.isNull() || compareValues(value, best) > 0)
                best = value;
            break;
        case AggregateKind::Distinct:
            seen.insert(ValueFormatter::format(value));
            break;
        case AggregateKind::Join: {
            const QString text = ValueFormatter::format(value);
            if (!seen.contains(text))
                joined.append(text);
            seen.insert(text);
            break;
        }
        case AggregateKind::Count:
            break;
        }
    });
    switch (node.aggregate) {
    case AggregateKind::Count:
        return count;
    case AggregateKind::Distinct:
        return qlonglong(seen.size());
    case AggregateKind::Join:
        return joined.join(QStringLiteral(", "));
    case AggregateKind::Sum:
        if (count == 0)
            return {};
        return integral ? QVariant(qlonglong(sum)) : QVariant(sum);
    case AggregateKind::Avg:
        return count == 0 ? QVariant() : QVariant(sum / double(count));
    case AggregateKind::Min:
    case AggregateKind::Max:
        return best;
    }
    return {};
}

QVariant callFunction(const Node& node, const ExpressionContext& context)
{
    const auto arg = [&](int i) { return evaluateNode(*node.children[i], context); };
    switch (node.function) {
    case Function::If:
        return Expression::toBool(arg(0)) ? arg(1) : arg(2);
    case Function::Format:
        return ValueFormatter::format(arg(0), arg(1).toString());
    case Function::Coalesce:
        for (int i = 0; i < node.children.size(); ++i) {
            const QVariant value = arg(i);
            if (!value.isNull())
                return value;
        }
        return {};
    case Function::Upper:
        return ValueFormatter::format(arg(0)).toUpper();
    case Function::Lower:
        return ValueFormatter::format(arg(0)).toLower();
    case Function::Trim:
        return ValueFormatter::format(arg(0)).trimmed();
    case Function::Substr: {
        const QString text = ValueFormatter::format(arg(0));
        const qsizetype start = qMax<qlonglong>(arg(1).toLongLong() - 1, 0);
        return node.children.size() > 2 ? text.mid(start, qMax<qlonglong>(arg(2).toLongLong(), 0))
                                        : text.mid(start);
    }
    case Function::Len:
        return qlonglong(ValueFormatter::format(arg(0)).size());
    case Function::Round: {
        const QVariant value = arg(0);
        if (value.isNull())
            return {};
        const double scale = std::pow(10.0, node.children.size() > 1 ? arg(1).toInt() : 0);
        return std::round(value.toDouble() * scale) / scale;
    }
    case Function::Abs: {
        const QVariant value = arg(0);
        if (value.isNull())
            return {};
        return isIntegral(value) ? QVariant(std::abs(value.toLongLong()))
                                 : QVariant(std::abs(value.toDouble()));
    }
    case Function::IsNull:
        return arg(0).isNull();
    case Function::Page:
        return qlonglong(context.pageNumber());
    case Function::Pages:
        if (context.pageCount() < 0)
            return QStringLiteral("?");
        return qlonglong(context.pageCount());
    case Function::Now:
        return context.now();
    case Function::Continued:
        return context.continued();
    case Function::ColumnBlock:
        return context.columnBlock();
    }
    return {};
}

QVariant evaluateNode(const Node& node, const ExpressionContext& context)
{
    switch (node.kind) {
    case NodeKind::Literal:
        return node.value;
    case NodeKind::Column:
        return context.column(node.key);
    case NodeKind::Parameter:
        return context.parameter(node.name);
    case NodeKind::Negate: {
        const QVariant value = evaluateNode(*node.children.first(), context);
        if (value.isNull())
            return {};
        return isIntegral(value) ? QVariant(-value.toLongLong()) : QVariant(-value.toDouble());
    }
    case NodeKind::Not:
        return !Expression::toBool(evaluateNode(*node.children.first(), context));
    case NodeKind::Call:
        return callFunction(node, context);
    case NodeKind::Aggregate:
        return aggregateOver(node, context);
    case NodeKind::Binary:
        break;
    }

    const QVariant left = evaluateNode(*node.children[0], context);
    if (node.op == BinaryOp::And && !Expression::toBool(left))
        return false;
    if (node.op == BinaryOp::Or && Expression::toBool(left))
        return true;
    const QVariant right = evaluateNode(*node.children[1], context);
    switch (node.op) {
    case BinaryOp::And:
    case BinaryOp::Or:
        return Expression::toBool(right);
    case BinaryOp::Concat:
        return ValueFormatter::format(left) + ValueFormatter::format(right);
    case BinaryOp::Add:
        if ((!left.isNull() && !ValueFormatter::isNumeric(left)) ||
            (!right.isNull() && !ValueFormatter::isNumeric(right)))
            return ValueFormatter::format(left) + ValueFormatter::format(right);
        return arithmetic(node.op, left, right);
    case BinaryOp::Subtract:
    case BinaryOp::Multiply:
    case BinaryOp::Divide:
        return arithmetic(node.op, left, right);
    default:
        break;
    }
    if (left.isNull() || right.isNull())
        return false;
    const int order = compareValues(left, right);
    switch (node.op) {
    case BinaryOp::Equal:
        return order == 0;
    case BinaryOp::NotEqual:
        return order != 0;
    case BinaryOp::Less:
        return order < 0;
    case BinaryOp::LessEqual:
        return order <= 0;
    case BinaryOp::Greater:
        return order > 0;
    default:
        return order >= 0;
    }
}

QVariant numberOrNull(const QVariant& value)
{
    return !value.isNull() && ValueFormatter::isNumeric(value) ? value : QVariant();
}

// The figure a node's printed value begins with: a format()'s value (missing when null), the
// chosen branch of an if(), the first non-null of a coalesce(), the left side of a joined text
// (the right when the left prints nothing and is no missing figure); any other node is its own
// value when that is a number.
struct LeadingFigure
{
    QVariant number;
    bool missing = false; // a format() of no value
};

LeadingFigure leadingFigureOf(const Node& node, const ExpressionContext& context)
{
    if (node.kind == NodeKind::Call && node.function == Function::Format) {
        const QVariant value = evaluateNode(*node.children[0], context);
        return {numberOrNull(value), value.isNull()};
    }
    if (node.kind == NodeKind::Call && node.function == Function::If)
        return leadingFigureOf(
            *node.children[Expression::toBool(evaluateNode(*node.children[0], context)) ? 1 : 2], context);
    if (node.kind == NodeKind::Call && node.function == Function::Coalesce) {
        for (const auto& child : node.children)
            if (!evaluateNode(*child, context).isNull())
                return leadingFigureOf(*child, context);
        return {};
    }
    const QVariant value = evaluateNode(node, context);
    const bool joined =
        node.kind == NodeKind::Binary &&
        (node.op == BinaryOp::Concat || (node.op == BinaryOp::Add && !ValueFormatter::isNumeric(value)));
    if (!joined)
        return {numberOrNull(value), false};
    const Node& left = *node.children[0];
    if (!ValueFormatter::format(evaluateNode(left, context)).isEmpty())
        return leadingFigureOf(left, context);
    const LeadingFigure figure = leadingFigureOf(left, context);
    return figure.missing ? figure : leadingFigureOf(*node.children[1], context);
}

} // namespace

Expression::Expression() = default;

Expression Expression::compile(const QString& text)
{
    Expression expression;
    expression.m_text = text;
    if (text.trimmed().isEmpty())
        return expression;
    Parser parser(text);
    expression.m_root = parser.parse();
    expression.m_usesPageCount = parser.usesPageCount;
    expression.m_usesAggregates = parser.usesAggregates;
    expression.m_parameters = parser.parameters;
    expression.m_columns = parser.columns;
    return expression;
}

void Expression::checkColumns(const QStringList& columns) const
{
    for (const QString& name : m_columns) {
        if (!columns.contains(name, Qt::CaseInsensitive))
            throw Kav::Exception(QStringLiteral("A consulta do relatório não tem a coluna %1.").arg(name));
    }
}

QVariant Expression::evaluate(const ExpressionContext& context) const
{
    return m_root ? evaluateNode(*m_root, context) : QVariant();
}

bool Expression::isTrue(const ExpressionContext& context) const
{
    return toBool(evaluate(context));
}

QVariant Expression::leadingNumber(const ExpressionContext& context) const
{
    return m_root ? leadingFigureOf(*m_root, context).number : QVariant();
}

bool Expression::leadsWithMissingNumber(const ExpressionContext& context) const
{
    return m_root && leadingFigureOf(*m_root, context).missing;
}

bool Expression::toBool(const QVariant& value)
{
    if (value.isNull())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (ValueFormatter::isNumeric(value))
        return value.toDouble() != 0;
    return !ValueFormatter::format(value).isEmpty();
}

} // namespace Qr
