#pragma once
// Finds the named placeholders (":P_CDFILIAL") of an SQL statement.

#include <QString>
#include <QStringList>

namespace Kav {

// Each name once, in order of first appearance; text inside quotes, "--" comments and "::" casts
// is skipped.
QStringList sqlPlaceholders(const QString& statement);

} // namespace Kav
