#pragma once
// The folder the user last saved a file in, remembered in the user's settings, so that the next
// save dialog opens there with the name the program suggests.

#include <QString>

namespace Kav {

class RecentSaveFolder
{
public:
    // The last folder saved in while it still exists; the home folder otherwise.
    static QString folder();
    // Where a save dialog starts: `suggested` as given when it is an absolute path, otherwise
    // that name (possibly empty) in the last folder.
    static QString startFor(const QString& suggested);
    // Remembers the folder of a file just chosen.
    static void remember(const QString& savedFile);
};

} // namespace Kav
