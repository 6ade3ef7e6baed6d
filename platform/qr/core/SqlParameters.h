#pragma once
// Finds the named parameters (":P_NAME") of a query text, skipping quoted texts, quoted names,
// comments and PostgreSQL's "::" casts, and rewrites them as positional "?" markers so every
// engine receives the values as bound parameters.

#include <QString>
#include <QStringList>

namespace Qr {

class SqlParameters
{
public:
    struct Positional
    {
        QString sql;       // the text with one "?" per occurrence
        QStringList names; // the parameter of each "?", in order (repeats included)
    };

    // Each name once, in order of first use.
    static QStringList names(const QString& sql);
    static Positional toPositional(const QString& sql);
};

} // namespace Qr
