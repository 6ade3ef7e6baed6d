#pragma once
// Look-ups by name in a class's meta-object, answered once per class and name: stored layouts
// name the same properties, events and handlers for every form they build, and Qt answers each
// by comparing the name with every entry of the class and its base classes.

#include <QByteArray>
#include <QMetaObject>
#include <QString>
#include <QStringList>

namespace Kav::MetaLookup {

// QMetaObject::indexOfProperty: -1 when the class has no such property.
int propertyIndex(const QMetaObject* meta, const QString& name);

// Whether the class has a method of that name, any signature.
bool hasMethodNamed(const QMetaObject* meta, const QByteArray& name);

// The words of every Q_CLASSINFO(`key`, "...") of the class and its base classes, in order.
QStringList classInfoWords(const QMetaObject* meta, const char* key);

} // namespace Kav::MetaLookup
