#include "ComponentNames.h"

namespace Kav {

ComponentNames::Indexing::Indexing(ComponentNames& names, const QObject* root) : m_names(names)
{
    m_names.m_objects.clear();
    for (QObject* object : root->findChildren<QObject*>())
        m_names.insert(object);
    m_names.m_indexing = true;
}

ComponentNames::Indexing::~Indexing()
{
    m_names.m_indexing = false;
    m_names.m_objects.clear();
}

void ComponentNames::add(QObject* object)
{
    if (!m_indexing)
        return;
    insert(object);
    for (QObject* part : object->findChildren<QObject*>())
        insert(part);
}

void ComponentNames::insert(QObject* object)
{
    const QString name = object->objectName();
    if (name.isEmpty())
        return;
    const auto found = m_objects.find(name);
    if (found == m_objects.end())
        m_objects.insert(name, object);
    else if (*found != object)
        *found = nullptr;
}

std::optional<QObject*> ComponentNames::lookup(const QString& name) const
{
    if (!m_indexing)
        return std::nullopt;
    const auto found = m_objects.constFind(name);
    if (found == m_objects.cend())
        return nullptr;
    QObject* object = found->data();
    if (!object || object->objectName() != name)
        return std::nullopt;
    return object;
}

} // namespace Kav
