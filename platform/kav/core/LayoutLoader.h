#pragma once
// Builds and changes the components of a form (or any root object) from stored layout files.
//
// Classes come from Kav::ClassRegistry, created in the client context the loader is given (the
// form's), properties are written through the meta-object system,
// references to other components are resolved once the whole file is read, and "On..." events
// are bound with Kav::bindEvent to the root's handlers by name. Several files may be applied
// to one root in order; "inherited" components are changed, not created. Anything unknown (a
// class, component, property, value or handler) is a LayoutError naming the file and line.
//
// Property kinds that need the visual library (geometry, fonts, colours...) are handled by
// extensions registered with addPropertyKind. A class may list the events it fires in a
// Q_CLASSINFO("KavEvents", "OnClick OnChange"); the loader then refuses any other event name.

#include "ComponentNames.h"
#include "LayoutNode.h"

#include <functional>
#include <QList>
#include <QObject>
#include <QPointer>

namespace Kav {

class ClientCoreContext;
class LayoutLoader;

// One property assignment offered to an extension.
struct LayoutAssignment
{
    QObject* object;
    QString name; // as written, possibly dotted
    const LayoutValue& value;
    LayoutLoader& loader;
};

class LayoutLoader
{
public:
    // Returns true when it handled the assignment; throws (any exception: the loader adds the
    // file and line) when the value does not fit.
    using PropertyKind = std::function<bool(const LayoutAssignment&)>;

    static void addPropertyKind(PropertyKind kind);

    // The dynamic property that records a created component's layout class name.
    static const char* const layoutClassProperty;

    LayoutLoader(QObject* root, ClientCoreContext& context);

    // Applies a layout file (a path or a ":/resource", parsed once: Kav::ParsedLayouts).
    // Throws LayoutError.
    void apply(const QString& fileName);
    // Applies layout text; `fileName` names it in errors.
    void applyText(const QString& text, const QString& fileName);

    QObject* root() const { return m_root; }

    // The component of the root named `name` (the root itself included), or null.
    QObject* component(const QString& name) const;

    // Runs `resolve` once the current file is read: for values that name other components.
    void defer(std::function<void()> resolve);

    // The layout class name of a component, or its C++ class name without namespace.
    static QString layoutClassOf(const QObject* object);

    // True while a layout is being applied: controls fire no change or click events for the
    // values a layout gives them.
    static bool isLoading();

private:
    void applyRoot(const LayoutNode& rootNode, const QString& fileName);
    void applyNode(const LayoutNode& node, QObject* parent);
    QObject* createComponent(const LayoutNode& node, QObject* parent);
    QObject* inheritedComponent(const LayoutNode& node) const;
    void applyProperty(QObject* object, const LayoutProperty& property);
    void bindLayoutEvent(QObject* object, const LayoutProperty& property);
    void writeProperty(QObject* object, const QString& name, const LayoutValue& value);
    void writeReference(QObject* object, const QMetaProperty& property, const QString& targetName);

    QPointer<QObject> m_root;
    ClientCoreContext& m_context;
    // The root's named components while a file is applied, so that each name is not searched
    // for through every object of the form.
    ComponentNames m_names;
    QString m_fileName;
    int m_line = 0;
    QList<QPair<int, std::function<void()>>> m_deferred;
};

} // namespace Kav
