#pragma once
// Finds the placeholders of an SQL statement: named (":P_CDFILIAL") and positional ("?"), where the
// database itself would see them: never inside a quoted text ('it''s'), a quoted name ("A?"), a
// PostgreSQL dollar-quoted text ($$...$$, $body$...$body$), a comment (-- to the line's end,
// /* to */, not nested) or a "::" cast.

#include <functional>
#include <QString>
#include <QStringList>

namespace Kav {

// Each name once, in order of first appearance.
QStringList sqlPlaceholders(const QString& statement);

// The statement with every placeholder replaced by what `replacement` gives for it: its name without
// the colon, or an empty name and the count of "?" before it. What is skipped is as above.
QString replaceSqlPlaceholders(const QString& statement,
                               const std::function<QString(const QString& name, int position)>& replacement);

// The statement with each comment replaced by a blank (a line comment keeps its line's end). For a
// driver whose own placeholder scanner knows quotes but not comments (Qt's PostgreSQL driver
// numbering "?" markers): an apostrophe in a comment would otherwise open a text for it.
QString withoutSqlComments(const QString& statement);

} // namespace Kav
