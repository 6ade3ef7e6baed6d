#pragma once
// Tells whether this process still holds a descriptor on an SQLite database's file, its WAL or
// its shared-memory file after that file was deleted: the mark of a connection left reading a
// dead snapshot. That happens when the process lost its POSIX locks on the files (another
// descriptor on them was opened and closed) and another process, believing itself the last
// user, checkpointed and deleted the WAL and shared-memory files when it closed.

#include <QString>

namespace Kav {

class SqliteOpenFiles
{
public:
    // `databasePath` as the connection was opened with. Reads /proc/self/fd; where there is no
    // such folder the answer is false.
    static bool anyDeleted(const QString& databasePath);
};

} // namespace Kav
