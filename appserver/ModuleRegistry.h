#pragma once
// The remote data modules a server hosts, by server name.

#include "RemoteDataModule.h"

#include <memory>
#include <QHash>
#include <QStringList>

namespace KavServer {

class ModuleRegistry
{
public:
    // Replaces a module of the same server name.
    void add(std::shared_ptr<const RemoteDataModule> module);
    // Null when no module has that name.
    const RemoteDataModule* find(const QString& serverName) const;
    QStringList serverNames() const;

private:
    QHash<QString, std::shared_ptr<const RemoteDataModule>> m_modules;
};

} // namespace KavServer
