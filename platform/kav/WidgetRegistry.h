#pragma once
// Registers a widget class, or a class that needs the widgets' part of the client context (a
// dialog), under the name stored layouts use for it.

#include "ClassRegistry.h"
#include "ClientContext.h"

#include <QWidget>
#include <type_traits>

namespace Kav {

// Constructed from its parent widget, and from the client context first when it takes one.
template <class T> void addWidget(const QString& className)
{
    ClassRegistry::instance().add(className, [](QObject* parent, ClientCoreContext& context) -> QObject* {
        auto* parentWidget = qobject_cast<QWidget*>(parent);
        if constexpr (std::is_constructible_v<T, ClientContext&, QWidget*>)
            return new T(ClientContext::of(context), parentWidget);
        else
            return new T(parentWidget);
    });
}

// A non-visual component constructed from the client context and its owner.
template <class T> void addClientObject(const QString& className)
{
    ClassRegistry::instance().add(className, [](QObject* parent, ClientCoreContext& context) -> QObject* {
        return new T(ClientContext::of(context), parent);
    });
}

} // namespace Kav
