#pragma once
// Writes the code generated from a form's stored layouts: a header declaring one member per
// component the form's own layouts add, with the table of every component as the layouts place
// it, and the declarations of the handlers the form's own layouts bind (a macro the form's class
// puts in its body); and a source binding the members to the built components by name.

#include "LayoutComponents.h"

#include <QString>
#include <QStringList>

namespace KavBind {

class BindingWriter
{
public:
    // `formClass` names the generated struct (<formClass>Components) and files
    // (<formClass>Bindings.h and .cpp); `sources` are the layouts' file names, for the reader.
    BindingWriter(const QString& formClass, const QStringList& sources, const QList<Component>& components,
                  const QList<Handler>& handlers);

    QString headerFileName() const;
    QString sourceFileName() const;
    QString header() const;
    QString source() const;

private:
    QString structName() const;
    QStringList ownClasses() const;
    QString memberDeclarations() const;
    QString layoutTable() const;
    QString constantDeclarations() const;
    QString bindStatements() const;
    QString handlersMacro() const;

    QString m_formClass;
    QStringList m_sources;
    QList<Component> m_components;
    QList<Handler> m_handlers;
};

} // namespace KavBind
