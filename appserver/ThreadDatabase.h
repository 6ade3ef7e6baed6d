#pragma once
// Each worker thread's own database connection: Qt SQL connections may only be used by the
// thread that opened them, and one per thread lets calls run side by side.

#include <QSqlDatabase>
#include <QString>

namespace KavServer {

class ThreadDatabase
{
public:
    // The calling thread's connection to `url`, opened on first use, when the URL changed, or
    // when the database server no longer answers on it (checked before every use).
    // It is closed when the thread ends. Throws Kav::Exception when it cannot be opened.
    static QSqlDatabase forCurrentThread(const QString& url);

    // Forgets the calling thread's connection, so the next use opens it anew (after a failure
    // that may have broken it).
    static void reset();
};

} // namespace KavServer
