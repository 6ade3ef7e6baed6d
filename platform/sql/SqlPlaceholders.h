#pragma once
// Finds the placeholders of an SQL statement: named (":P_CDFILIAL") and positional ("?").

#include <functional>
#include <QString>
#include <QStringList>

namespace Kav {

// Each name once, in order of first appearance; text inside quotes, "--" comments and "::" casts
// is skipped.
QStringList sqlPlaceholders(const QString& statement);

// The statement with every placeholder replaced by what `replacement` gives for it: its name without
// the colon, or an empty name and the count of "?" before it. What is skipped is as above.
QString replaceSqlPlaceholders(const QString& statement,
                               const std::function<QString(const QString& name, int position)>& replacement);

} // namespace Kav
