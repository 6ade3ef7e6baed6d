#pragma once
// Creates the classes a stored layout names (widgets, queries, fields...) from their class names.

#include <functional>
#include <QHash>
#include <QObject>
#include <QString>

namespace Kav {

class ClassRegistry
{
public:
    using Factory = std::function<QObject*(QObject* parent)>;

    static ClassRegistry& instance();

    void add(const QString& className, Factory factory);

    // A non-visual class constructed from its owner. Widgets register through addWidget
    // (WidgetRegistry.h of the visual library).
    template <class T> void addObject(const QString& className)
    {
        add(className, [](QObject* parent) -> QObject* { return new T(parent); });
    }

    bool contains(const QString& className) const { return m_factories.contains(className); }

    // Null when the class is unknown.
    QObject* create(const QString& className, QObject* parent) const;

private:
    QHash<QString, Factory> m_factories;
};

} // namespace Kav
