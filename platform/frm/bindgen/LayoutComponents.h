#pragma once
// The components a form's stored layouts declare, gathered for the binding generator: which
// class each has, where it is nested, the place the layout gives it, and whether the form's own
// layouts add it (a member of the form) or a base form's do; and the handlers the layouts bind
// their events to, with the parameters each takes.

#include "LayoutNode.h"

#include <optional>
#include <QList>
#include <QMap>
#include <QRect>
#include <QString>

namespace KavBind {

struct Component
{
    QString name;
    QString className;
    QString parent;   // empty for a component of the form itself
    bool own = false; // declared by the form's own layouts, not a base form's
    // Left, Top, Width and Height after every layout applied; none when the layout aligns the
    // component (its place then follows its parent) or leaves part of it out.
    std::optional<QRect> geometry;
    // Text properties the form checks at compile time against other declarations.
    QMap<QString, QString> constants;
};

// A handler of the form that the layouts bind an event to.
struct Handler
{
    QString name;
    QString parameters; // as declared: "QObject* Sender, bool& Proceed"
    bool own = false;   // bound by the form's own layouts
    bool base = false;  // bound by a base form's layouts: the base class declares it
};

class LayoutComponents
{
public:
    // Applies one layout, in the order the form applies them. `own` tells whether the
    // components it declares belong to the form or to a base form.
    // Throws Kav::LayoutError for a component declared twice, or changed before it is declared,
    // for an event no component fires, and for a handler bound to events of different kinds.
    void add(const Kav::LayoutNode& root, const QString& fileName, bool own);

    // Every component but the form itself, in the order of first declaration.
    QList<Component> all() const;
    // Every handler bound, in the order of first binding.
    QList<Handler> handlers() const;

private:
    struct Placement
    {
        std::optional<int> left, top, width, height;
        bool aligned = false;
    };

    void addNode(const Kav::LayoutNode& node, const QString& parent, bool own);
    void applyProperties(const Kav::LayoutNode& node);
    void addHandlers(const Kav::LayoutNode& node, bool own);

    QString m_fileName; // of the layout being added
    QList<QString> m_order;
    QMap<QString, Component> m_components;
    QMap<QString, Placement> m_placements;
    QList<QString> m_handlerOrder;
    QMap<QString, Handler> m_handlers;
};

} // namespace KavBind
