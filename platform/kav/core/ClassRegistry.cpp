#include "ClassRegistry.h"

namespace Kav {

ClassRegistry& ClassRegistry::instance()
{
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::add(const QString& className, Factory factory)
{
    m_factories.insert(className, std::move(factory));
}

QObject* ClassRegistry::create(const QString& className, QObject* parent, ClientCoreContext& context) const
{
    const auto it = m_factories.constFind(className);
    return it == m_factories.cend() ? nullptr : (*it)(parent, context);
}

} // namespace Kav
