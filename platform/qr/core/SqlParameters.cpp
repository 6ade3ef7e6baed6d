#include "SqlParameters.h"

#include "SqlPlaceholders.h"

namespace Qr {

SqlParameters::Positional SqlParameters::toPositional(const QString& sql)
{
    Positional result;
    // Without its comments: on PostgreSQL Qt numbers the "?" markers itself, knowing quotes but
    // not comments, so an apostrophe in a comment would hide the markers after it.
    result.sql = Kav::replaceSqlPlaceholders(Kav::withoutSqlComments(sql), [&](const QString& name, int) {
        if (!name.isEmpty())
            result.names.append(name);
        return QStringLiteral("?");
    });
    return result;
}

QStringList SqlParameters::names(const QString& sql)
{
    return Kav::sqlPlaceholders(sql);
}

} // namespace Qr
