#pragma once
// Where the programs find what ships with them, from the folder of the running program: the
// shared data (report layouts, food table, references) and the screens' packages. An installed
// copy and the build tree have the same shape, so neither looks anywhere else.

#include <QString>

namespace Kav::InstallLayout {

// share/kav beside the program's bin folder.
QString dataDir(const QString& programDir);
// lib/kav/packages of an installed copy; in the build tree, where the packages are built beside
// the programs, the program's own folder.
QString packagesDir(const QString& programDir);

// The same, for the running program.
QString dataDir();
QString packagesDir();

} // namespace Kav::InstallLayout
