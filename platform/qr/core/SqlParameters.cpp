#include "SqlParameters.h"

namespace Qr {

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Index just past a quoted run starting at `start` (a doubled quote stays inside).
qsizetype skipQuoted(const QString& sql, qsizetype start)
{
    const QChar quote = sql[start];
    qsizetype i = start + 1;
    while (i < sql.size()) {
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

} // namespace

SqlParameters::Positional SqlParameters::toPositional(const QString& sql)
{
    Positional result;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        qsizetype next = i + 1;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            next = skipQuoted(sql, i);
        } else if (c == QLatin1Char('-') && sql.mid(i, 2) == QLatin1String("--")) {
            next = sql.indexOf(QLatin1Char('\n'), i);
            next = next < 0 ? sql.size() : next;
        } else if (c == QLatin1Char('/') && sql.mid(i, 2) == QLatin1String("/*")) {
            next = sql.indexOf(QLatin1String("*/"), i + 2);
            next = next < 0 ? sql.size() : next + 2;
        } else if (c == QLatin1Char(':') && sql.mid(i, 2) == QLatin1String("::")) {
            next = i + 2;
        } else if (c == QLatin1Char(':') && i + 1 < sql.size() && isNameStart(sql[i + 1])) {
            qsizetype end = i + 1;
            while (end < sql.size() && isNameChar(sql[end]))
                ++end;
            result.names.append(sql.mid(i + 1, end - i - 1));
            result.sql += QLatin1Char('?');
            i = end;
            continue;
        }
        result.sql += QStringView(sql).mid(i, next - i);
        i = next;
    }
    return result;
}

QStringList SqlParameters::names(const QString& sql)
{
    QStringList unique;
    for (const QString& name : toPositional(sql).names)
        if (!unique.contains(name, Qt::CaseInsensitive))
            unique.append(name);
    return unique;
}

} // namespace Qr
