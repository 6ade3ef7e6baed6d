#pragma once
// Finds the named parameters (":P_NAME") of a query text where the database would see them (as
// Kav::sqlPlaceholders does) and rewrites them as positional "?" markers so every engine receives
// the values as bound parameters.

#include <QString>
#include <QStringList>

namespace Qr {

class SqlParameters
{
public:
    struct Positional
    {
        QString sql;       // the text, without comments, with one "?" per occurrence
        QStringList names; // the parameter of each "?", in order (repeats included)
    };

    // Each name once, in order of first use.
    static QStringList names(const QString& sql);
    static Positional toPositional(const QString& sql);
};

} // namespace Qr
