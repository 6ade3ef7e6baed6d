#include "SqlPlaceholders.h"

namespace Kav {

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

QStringList sqlPlaceholders(const QString& statement)
{
    QStringList names;
    const qsizetype length = statement.size();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = statement[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = statement.indexOf(c, i + 1);
            i = close < 0 ? length : close;
        } else if (c == QLatin1Char('-') && i + 1 < length && statement[i + 1] == QLatin1Char('-')) {
            const qsizetype end = statement.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? length : end;
        } else if (c == QLatin1Char(':')) {
            if (i + 1 < length && statement[i + 1] == QLatin1Char(':')) {
                ++i; // a cast, "value::TEXT"
                continue;
            }
            qsizetype end = i + 1;
            while (end < length && isNameChar(statement[end]))
                ++end;
            if (end > i + 1) {
                const QString name = statement.mid(i + 1, end - i - 1);
                if (!names.contains(name, Qt::CaseInsensitive))
                    names << name;
            }
            i = end - 1;
        }
    }
    return names;
}

} // namespace Kav
