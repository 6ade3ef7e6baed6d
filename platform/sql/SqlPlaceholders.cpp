#include "SqlPlaceholders.h"

#include <optional>

namespace Kav {

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// What the scanner meets at one position of a statement.
struct Part
{
    enum class Kind { Other, Quoted, Comment, Placeholder };
    Kind kind = Kind::Other;
    qsizetype length = 1;
    QString name; // Placeholder: empty for "?"
};

// Index just past a text quoted by `quote` that opens at `start` (a doubled quote stays inside).
qsizetype pastQuoted(const QString& sql, qsizetype start, QChar quote)
{
    for (qsizetype i = start + 1; i < sql.size(); ++i) {
        if (sql[i] != quote)
            continue;
        if (i + 1 < sql.size() && sql[i + 1] == quote) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return sql.size();
}

// The opening tag of a dollar-quoted text at `start` ("$$", "$body$"), empty when there is none:
// "$1" is a parameter and "a$b" part of a name.
QString dollarTag(const QString& sql, qsizetype start)
{
    if (start > 0 && (isNameChar(sql[start - 1]) || sql[start - 1] == QLatin1Char('$')))
        return {};
    qsizetype end = start + 1;
    if (end < sql.size() && sql[end].isDigit())
        return {};
    while (end < sql.size() && isNameChar(sql[end]))
        ++end;
    return end < sql.size() && sql[end] == QLatin1Char('$') ? sql.mid(start, end - start + 1) : QString();
}

Part partAt(const QString& sql, qsizetype i)
{
    const QChar c = sql[i];
    const QChar next = i + 1 < sql.size() ? sql[i + 1] : QChar();
    if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
        return {Part::Kind::Quoted, pastQuoted(sql, i, c) - i, {}};
    if (c == QLatin1Char('$')) {
        const QString tag = dollarTag(sql, i);
        if (tag.isEmpty())
            return {};
        const qsizetype close = sql.indexOf(tag, i + tag.size());
        return {Part::Kind::Quoted, (close < 0 ? sql.size() : close + tag.size()) - i, {}};
    }
    if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
        const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
        return {Part::Kind::Comment, (end < 0 ? sql.size() : end) - i, {}};
    }
    if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
        const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
        return {Part::Kind::Comment, (end < 0 ? sql.size() : end + 2) - i, {}};
    }
    if (c == QLatin1Char('?'))
        return {Part::Kind::Placeholder, 1, {}};
    if (c == QLatin1Char(':')) {
        if (next == QLatin1Char(':'))
            return {Part::Kind::Other, 2, {}}; // a cast, "value::TEXT"
        qsizetype end = i + 1;
        while (end < sql.size() && isNameChar(sql[end]))
            ++end;
        if (end > i + 1)
            return {Part::Kind::Placeholder, end - i, sql.mid(i + 1, end - i - 1)};
    }
    return {};
}

// Calls `found` with the start and the part of each placeholder and comment, in order.
void scan(const QString& statement, const std::function<void(qsizetype at, const Part& part)>& found)
{
    for (qsizetype i = 0; i < statement.size();) {
        const Part part = partAt(statement, i);
        if (part.kind == Part::Kind::Placeholder || part.kind == Part::Kind::Comment)
            found(i, part);
        i += part.length;
    }
}

// The statement with each part `replacement` gives a text for replaced by that text.
QString replaced(const QString& statement,
                 const std::function<std::optional<QString>(const Part&)>& replacement)
{
    QString result;
    result.reserve(statement.size());
    qsizetype copied = 0;
    scan(statement, [&](qsizetype at, const Part& part) {
        const std::optional<QString> text = replacement(part);
        if (!text)
            return;
        result += QStringView(statement).mid(copied, at - copied);
        result += *text;
        copied = at + part.length;
    });
    result += QStringView(statement).mid(copied);
    return result;
}

} // namespace

QStringList sqlPlaceholders(const QString& statement)
{
    QStringList names;
    scan(statement, [&names](qsizetype, const Part& part) {
        if (part.kind == Part::Kind::Placeholder && !part.name.isEmpty() &&
            !names.contains(part.name, Qt::CaseInsensitive))
            names << part.name;
    });
    return names;
}

QString replaceSqlPlaceholders(const QString& statement,
                               const std::function<QString(const QString& name, int position)>& replacement)
{
    int position = 0;
    return replaced(statement, [&](const Part& part) -> std::optional<QString> {
        if (part.kind != Part::Kind::Placeholder)
            return std::nullopt;
        return replacement(part.name, part.name.isEmpty() ? position++ : -1);
    });
}

QString withoutSqlComments(const QString& statement)
{
    return replaced(statement, [](const Part& part) -> std::optional<QString> {
        if (part.kind != Part::Kind::Comment)
            return std::nullopt;
        return QStringLiteral(" ");
    });
}

} // namespace Kav
