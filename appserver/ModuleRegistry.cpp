#include "ModuleRegistry.h"

#include <algorithm>

namespace KavServer {

void ModuleRegistry::add(std::shared_ptr<const RemoteDataModule> module)
{
    const QString name = module->serverName();
    m_modules.insert(name, std::move(module));
}

const RemoteDataModule* ModuleRegistry::find(const QString& serverName) const
{
    const auto it = m_modules.constFind(serverName);
    return it == m_modules.cend() ? nullptr : it->get();
}

QStringList ModuleRegistry::serverNames() const
{
    QStringList names = m_modules.keys();
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace KavServer
