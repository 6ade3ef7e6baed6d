#pragma once
// What the user reads when the host cannot open its database at start-up: which database, what
// is wrong with it in plain Portuguese, and what to do (the command that creates it, the package
// to install, the server to check). The driver's own text, English and technical, is for the
// log only; the caller writes it there.

#include <QString>

namespace Kav::Host {

class DatabaseOpenFailure
{
public:
    // Whether the database the message is about is the demo database of the defaults, which
    // ./run makes.
    enum class Origin { Configured, DemoDefault };

    // Why `url` could not be opened, judged from the address itself, the file (SQLite) and the
    // drivers installed.
    static QString message(const QString& url, Origin origin);
};

} // namespace Kav::Host
