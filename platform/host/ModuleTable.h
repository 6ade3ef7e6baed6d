#pragma once
// The screens the host offers: each menu entry and the package whose entry opens it.

#include <QList>
#include <QString>

namespace Kav::Host {

struct ModuleEntry
{
    QString menu;    // the main-menu title the entry sits under
    QString caption; // the entry's text
    QString package; // shared library beside the host, without prefix and suffix
};

namespace ModuleTable {

// Every package exports its entry under this plain C name.
inline constexpr const char* kEntryName = "IniProc";

const QList<ModuleEntry>& entries();

} // namespace ModuleTable

} // namespace Kav::Host
