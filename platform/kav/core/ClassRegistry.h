#pragma once
// Creates the classes a stored layout names (widgets, queries, fields...) from their class names,
// in the client context of the layout being loaded.

#include <functional>
#include <QHash>
#include <QObject>
#include <QString>
#include <type_traits>

namespace Kav {

class ClientCoreContext;

class ClassRegistry
{
public:
    // A factory is given the parent and the client context the component belongs to.
    using Factory = std::function<QObject*(QObject* parent, ClientCoreContext& context)>;

    // The one registry of the process. It maps class names to constructors: code, filled from
    // every library before the first layout loads, and no state of any client, so the clients of
    // one process share it as they share the classes themselves; what a component needs of its
    // client reaches it through the context its factory is given.
    static ClassRegistry& instance();

    void add(const QString& className, Factory factory);

    // A non-visual class constructed from its owner, and from the context first when it takes
    // one. Widgets and classes that need the widgets' part of the context register through
    // WidgetRegistry.h of the visual library.
    template <class T> void addObject(const QString& className)
    {
        add(className, [](QObject* parent, ClientCoreContext& context) -> QObject* {
            if constexpr (std::is_constructible_v<T, ClientCoreContext&, QObject*>)
                return new T(context, parent);
            else
                return new T(parent);
        });
    }

    bool contains(const QString& className) const { return m_factories.contains(className); }

    // Null when the class is unknown.
    QObject* create(const QString& className, QObject* parent, ClientCoreContext& context) const;

private:
    QHash<QString, Factory> m_factories;
};

} // namespace Kav
