#include "BindingWriter.h"

#include <QSet>

namespace KavBind {

namespace {

QString cString(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString tableRow(const Component& component)
{
    const QRect place = component.geometry.value_or(QRect());
    return QStringLiteral("        {%1, %2, %3, %4, %5, %6, %7, %8},\n")
        .arg(cString(component.name), cString(component.className), cString(component.parent),
             component.geometry ? QStringLiteral("true") : QStringLiteral("false"))
        .arg(place.x())
        .arg(place.y())
        .arg(place.width())
        .arg(place.height());
}

} // namespace

BindingWriter::BindingWriter(const QString& formClass, const QStringList& sources,
                             const QList<Component>& components, const QList<Handler>& handlers)
    : m_formClass(formClass), m_sources(sources), m_components(components), m_handlers(handlers)
{}

QString BindingWriter::headerFileName() const
{
    return m_formClass + QLatin1String("Bindings.h");
}

QString BindingWriter::sourceFileName() const
{
    return m_formClass + QLatin1String("Bindings.cpp");
}

QString BindingWriter::structName() const
{
    return m_formClass + QLatin1String("Components");
}

QStringList BindingWriter::ownClasses() const
{
    QStringList classes;
    for (const Component& component : m_components) {
        if (component.own && !classes.contains(component.className))
            classes.append(component.className);
    }
    classes.sort();
    return classes;
}

QString BindingWriter::memberDeclarations() const
{
    QString text;
    for (const Component& component : m_components) {
        if (component.own)
            text += QStringLiteral("    %1* %2 = nullptr;\n").arg(component.className, component.name);
    }
    return text;
}

QString BindingWriter::layoutTable() const
{
    QString rows;
    for (const Component& component : m_components)
        rows += tableRow(component);
    return QStringLiteral("    // Every component of the layouts, a base form's included, as they place it.\n"
                          "    static constexpr std::array<LayoutComponent, %1> layout = {{\n%2    }};\n")
        .arg(m_components.size())
        .arg(rows);
}

QString BindingWriter::constantDeclarations() const
{
    QString text;
    for (const Component& component : m_components) {
        for (auto it = component.constants.cbegin(); it != component.constants.cend(); ++it)
            text += QStringLiteral("    static constexpr std::string_view %1%2 = %3;\n")
                        .arg(component.name, it.key(), cString(it.value()));
    }
    return text;
}

QString BindingWriter::bindStatements() const
{
    QString text;
    for (const Component& component : m_components) {
        if (component.own)
            text += QStringLiteral("    bindComponent(form, %1, \"%1\");\n").arg(component.name);
    }
    return text;
}

// One declaration per handler the form's own layouts bind: `override` where a base form's
// layouts bind it too (the base class declares it virtual), `virtual` otherwise, so that a screen
// deriving from the form replaces it in the same checked way. The form defines each: one the
// layouts name and the form does not define fails the link, one defined under another name fails
// to compile.
QString BindingWriter::handlersMacro() const
{
    QString text = QStringLiteral("#define KAVLAYOUT_%1_HANDLERS").arg(m_formClass);
    for (const Handler& handler : m_handlers) {
        if (!handler.own)
            continue;
        const QString declaration = handler.base ? QStringLiteral("Q_INVOKABLE void %1(%2) override;")
                                                 : QStringLiteral("Q_INVOKABLE virtual void %1(%2);");
        text += QStringLiteral(" \\\n    ") + declaration.arg(handler.name, handler.parameters);
    }
    return text + QLatin1Char('\n');
}

QString BindingWriter::header() const
{
    QString declarations;
    for (const QString& className : ownClasses())
        declarations += QStringLiteral("class %1;\n").arg(className);
    return QStringLiteral(
               "#pragma once\n"
               "// Generated at build time from %1: the components these layouts add to\n"
               "// %2, and the code that binds them once the layouts are applied. Edit the layouts.\n"
               "\n"
               "#include \"LayoutComponent.h\"\n"
               "#include \"TCloseAction.h\"\n"
               "\n"
               "#include <array>\n"
               "#include <string_view>\n"
               "#include <QtGlobal>\n"
               "\n"
               "class QObject;\n"
               "%3\n"
               "// The handlers these layouts bind the form's events to, declared once: the form's\n"
               "// class puts `KAVLAYOUT_<form>_HANDLERS;` in its body (where the parameters' types are\n"
               "// known: TParams...) and defines each.\n"
               "%8\n"
               "namespace KavLayout {\n"
               "\n"
               "struct %4\n"
               "{\n"
               "%5\n"
               "%6"
               "%7\n"
               "    // Sets every member to the component of its name in `form`; throws Kav::Exception when\n"
               "    // one is missing or of another class.\n"
               "    void setupBindings(QObject& form);\n"
               "};\n"
               "\n"
               "} // namespace KavLayout\n")
        .arg(m_sources.join(QLatin1String(", ")), m_formClass, declarations, structName(),
             memberDeclarations(), layoutTable(), constantDeclarations(), handlersMacro());
}

QString BindingWriter::source() const
{
    QString includes;
    for (const QString& className : ownClasses())
        includes += QStringLiteral("#include \"%1.h\"\n").arg(className);
    return QStringLiteral("// Generated at build time from %1.\n"
                          "#include \"%2\"\n"
                          "\n"
                          "#include \"ComponentBinding.h\"\n"
                          "%3\n"
                          "namespace KavLayout {\n"
                          "\n"
                          "void %4::setupBindings([[maybe_unused]] QObject& form)\n"
                          "{\n"
                          "%5"
                          "}\n"
                          "\n"
                          "} // namespace KavLayout\n")
        .arg(m_sources.join(QLatin1String(", ")), headerFileName(), includes, structName(), bindStatements());
}

} // namespace KavBind
