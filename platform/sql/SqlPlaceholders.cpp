#include "SqlPlaceholders.h"

namespace Kav {

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Calls `found` with the start, length and name (empty for "?") of each placeholder, in order.
void scanPlaceholders(const QString& statement,
                      const std::function<void(qsizetype at, qsizetype length, const QString& name)>& found)
{
    const qsizetype length = statement.size();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = statement[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = statement.indexOf(c, i + 1);
            i = close < 0 ? length : close;
        } else if (c == QLatin1Char('-') && i + 1 < length && statement[i + 1] == QLatin1Char('-')) {
            const qsizetype end = statement.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? length : end;
        } else if (c == QLatin1Char('?')) {
            found(i, 1, QString());
        } else if (c == QLatin1Char(':')) {
            if (i + 1 < length && statement[i + 1] == QLatin1Char(':')) {
                ++i; // a cast, "value::TEXT"
                continue;
            }
            qsizetype end = i + 1;
            while (end < length && isNameChar(statement[end]))
                ++end;
            if (end > i + 1)
                found(i, end - i, statement.mid(i + 1, end - i - 1));
            i = end - 1;
        }
    }
}

} // namespace

QStringList sqlPlaceholders(const QString& statement)
{
    QStringList names;
    scanPlaceholders(statement, [&names](qsizetype, qsizetype, const QString& name) {
        if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
            names << name;
    });
    return names;
}

QString replaceSqlPlaceholders(const QString& statement,
                               const std::function<QString(const QString& name, int position)>& replacement)
{
    QString result;
    result.reserve(statement.size());
    qsizetype copied = 0;
    int position = 0;
    scanPlaceholders(statement, [&](qsizetype at, qsizetype length, const QString& name) {
        result += QStringView(statement).mid(copied, at - copied);
        result += replacement(name, name.isEmpty() ? position++ : -1);
        copied = at + length;
    });
    result += QStringView(statement).mid(copied);
    return result;
}

} // namespace Kav
