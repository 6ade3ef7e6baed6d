#include "ModuleTable.h"

namespace Kav::Host {

namespace ModuleTable {

const QList<ModuleEntry>& entries()
{
    static const QList<ModuleEntry> table = {
        {QStringLiteral("&Relatórios"), QStringLiteral("Nutrientes do Cardápio"),
         QStringLiteral("Pkg_Zve41300")},
    };
    return table;
}

} // namespace ModuleTable

} // namespace Kav::Host
