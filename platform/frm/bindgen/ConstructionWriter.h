#pragma once
// Writes code that builds every component of a form's stored layouts by code alone: each of its
// class, named, in its parent and where the layouts place it, with nothing else loaded. It is
// the floor a form built from its layouts at run time is measured against.

#include "LayoutComponents.h"

#include <QString>
#include <QStringList>

namespace KavBind {

class ConstructionWriter
{
public:
    // `formClass` names the function (build<formClass>Components) and the files
    // (<formClass>Construction.h and .cpp); `sources` are the layouts' file names.
    ConstructionWriter(const QString& formClass, const QStringList& sources,
                       const QList<Component>& components);

    QString headerFileName() const;
    QString sourceFileName() const;
    QString header() const;
    QString source() const;

private:
    QString functionName() const;
    QString statementsFor(const Component& component) const;

    QString m_formClass;
    QStringList m_sources;
    QList<Component> m_components;
};

} // namespace KavBind
