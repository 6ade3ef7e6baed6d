#include "LayoutComponents.h"

#include "HandlerSignatures.h"
#include "LayoutError.h"

namespace KavBind {

namespace {

// Fields and parameters belong to their data set, which reaches them by name: the form has no
// member for them.
bool isDataSetPart(const QString& className)
{
    return className == QLatin1String("TParameter") || className.endsWith(QLatin1String("Field"));
}

// The text properties published as constants of the generated code.
const QStringList kConstantProperties = {QStringLiteral("ServerName")};

const QString kNoAlignment = QStringLiteral("alNone");

// As the layout loader tells an event from a property: "On" and a capital.
bool isEventName(const QString& name)
{
    return name.size() > 2 && name.startsWith(QLatin1String("On")) && name.at(2).isUpper();
}

} // namespace

void LayoutComponents::add(const Kav::LayoutNode& root, const QString& fileName, bool own)
{
    m_fileName = fileName;
    addHandlers(root, own);
    // The root is the form itself, whose name a screen changes: its children have no parent name.
    for (const Kav::LayoutNode& child : root.children)
        addNode(child, QString(), own);
}

void LayoutComponents::addNode(const Kav::LayoutNode& node, const QString& parent, bool own)
{
    addHandlers(node, own);
    if (isDataSetPart(node.className))
        return;
    if (!m_components.contains(node.name)) {
        if (node.inherited)
            throw Kav::LayoutError(
                m_fileName, node.line,
                QStringLiteral("inherited component %1 is declared by no layout before it").arg(node.name));
        m_order.append(node.name);
        m_components.insert(node.name, Component{node.name, node.className, parent, own, {}, {}});
    } else if (!node.inherited) {
        throw Kav::LayoutError(m_fileName, node.line,
                               QStringLiteral("component %1 is declared twice").arg(node.name));
    }
    applyProperties(node);
    for (const Kav::LayoutNode& child : node.children)
        addNode(child, node.name, own);
}

void LayoutComponents::applyProperties(const Kav::LayoutNode& node)
{
    Placement& placement = m_placements[node.name];
    Component& component = m_components[node.name];
    for (const Kav::LayoutProperty& property : node.properties) {
        const QVariant value = property.value.scalar;
        if (property.name == QLatin1String("Left"))
            placement.left = value.toInt();
        else if (property.name == QLatin1String("Top"))
            placement.top = value.toInt();
        else if (property.name == QLatin1String("Width"))
            placement.width = value.toInt();
        else if (property.name == QLatin1String("Height"))
            placement.height = value.toInt();
        else if (property.name == QLatin1String("Align"))
            placement.aligned = property.value.identifier() != kNoAlignment;
        else if (kConstantProperties.contains(property.name))
            component.constants.insert(property.name, value.toString());
    }
}

void LayoutComponents::addHandlers(const Kav::LayoutNode& node, bool own)
{
    for (const Kav::LayoutProperty& property : node.properties) {
        if (!isEventName(property.name) || !property.value.isIdentifier())
            continue; // the loader refuses what is not a handler's name
        const std::optional<QString> parameters = handlerParameters(property.name);
        if (!parameters)
            throw Kav::LayoutError(m_fileName, property.line,
                                   QStringLiteral("no component fires an event %1").arg(property.name));
        const QString name = property.value.identifier();
        if (!m_handlers.contains(name)) {
            m_handlerOrder.append(name);
            m_handlers.insert(name, Handler{name, *parameters, false, false});
        }
        Handler& handler = m_handlers[name];
        if (handler.parameters != *parameters)
            throw Kav::LayoutError(m_fileName, property.line,
                                   QStringLiteral("handler %1 is bound to events of different kinds (%2; %3)")
                                       .arg(name, handler.parameters, *parameters));
        (own ? handler.own : handler.base) = true;
    }
}

QList<Handler> LayoutComponents::handlers() const
{
    QList<Handler> handlers;
    for (const QString& name : m_handlerOrder)
        handlers.append(m_handlers.value(name));
    return handlers;
}

QList<Component> LayoutComponents::all() const
{
    QList<Component> components;
    for (const QString& name : m_order) {
        Component component = m_components.value(name);
        const Placement placement = m_placements.value(name);
        if (!placement.aligned && placement.left && placement.top && placement.width && placement.height)
            component.geometry = QRect(*placement.left, *placement.top, *placement.width, *placement.height);
        components.append(component);
    }
    return components;
}

} // namespace KavBind
