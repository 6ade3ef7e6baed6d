#include "ConstructionWriter.h"

#include <algorithm>

namespace KavBind {

ConstructionWriter::ConstructionWriter(const QString& formClass, const QStringList& sources,
                                       const QList<Component>& components)
    : m_formClass(formClass), m_sources(sources), m_components(components)
{}

QString ConstructionWriter::headerFileName() const
{
    return m_formClass + QLatin1String("Construction.h");
}

QString ConstructionWriter::sourceFileName() const
{
    return m_formClass + QLatin1String("Construction.cpp");
}

QString ConstructionWriter::functionName() const
{
    return QStringLiteral("build%1Components").arg(m_formClass);
}

QString ConstructionWriter::statementsFor(const Component& component) const
{
    const bool hasChildren =
        std::any_of(m_components.cbegin(), m_components.cend(),
                    [&](const Component& other) { return other.parent == component.name; });
    const QString parent =
        component.parent.isEmpty() ? QStringLiteral("form") : QLatin1Char('*') + component.parent;
    const QString construction =
        QStringLiteral("construct<%1>(%2, \"%3\")").arg(component.className, parent, component.name);
    QString place;
    if (component.geometry) {
        const QRect r = *component.geometry;
        place = QStringLiteral("place(%1, %2, %3, %4, %5);\n")
                    .arg(hasChildren ? component.name : construction)
                    .arg(r.x())
                    .arg(r.y())
                    .arg(r.width())
                    .arg(r.height());
    }
    if (hasChildren)
        return QStringLiteral("    auto* %1 = %2;\n").arg(component.name, construction) +
               (place.isEmpty() ? QString() : QLatin1String("    ") + place);
    return QLatin1String("    ") + (place.isEmpty() ? construction + QLatin1String(";\n") : place);
}

QString ConstructionWriter::header() const
{
    return QStringLiteral("#pragma once\n"
                          "// Generated at build time from %1: every component of these layouts built\n"
                          "// by code alone. Edit the layouts.\n"
                          "\n"
                          "class QWidget;\n"
                          "\n"
                          "namespace KavLayout {\n"
                          "\n"
                          "void %2(QWidget& form);\n"
                          "\n"
                          "} // namespace KavLayout\n")
        .arg(m_sources.join(QLatin1String(", ")), functionName());
}

QString ConstructionWriter::source() const
{
    QStringList classes;
    for (const Component& component : m_components) {
        if (!classes.contains(component.className))
            classes.append(component.className);
    }
    classes.sort();
    QString includes;
    for (const QString& className : classes)
        includes += QStringLiteral("#include \"%1.h\"\n").arg(className);
    QString statements;
    for (const Component& component : m_components)
        statements += statementsFor(component);
    return QStringLiteral("// Generated at build time from %1.\n"
                          "#include \"%2\"\n"
                          "\n"
                          "#include \"ComponentConstruction.h\"\n"
                          "%3\n"
                          "namespace KavLayout {\n"
                          "\n"
                          "void %4(QWidget& form)\n"
                          "{\n"
                          "%5"
                          "}\n"
                          "\n"
                          "} // namespace KavLayout\n")
        .arg(m_sources.join(QLatin1String(", ")), headerFileName(), includes, functionName(), statements);
}

} // namespace KavBind
