#pragma once
// How generated bindings set a form's member to the component its layouts built.

#include "KavException.h"

#include <QObject>

namespace KavLayout {

// Sets `field` to the component `name` of `form`; throws when it is missing or of another class.
template <class T> void bindComponent(QObject& form, T*& field, const char* name)
{
    field = form.findChild<T*>(QLatin1String(name));
    if (!field)
        throw Kav::Exception(QStringLiteral("the form %1 has no component %2 of the expected class")
                                 .arg(form.objectName(), QLatin1String(name)));
}

} // namespace KavLayout
