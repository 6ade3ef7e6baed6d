#pragma once
// Registers a widget class under the name stored layouts use for it.

#include "ClassRegistry.h"

#include <QWidget>

namespace Kav {

template <class T> void addWidget(const QString& className)
{
    ClassRegistry::instance().add(
        className, [](QObject* parent) -> QObject* { return new T(qobject_cast<QWidget*>(parent)); });
}

} // namespace Kav
