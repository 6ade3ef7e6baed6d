#pragma once
// The parsed form of one component of a stored layout: its header line, its property
// assignments in file order and its nested components.

#include "LayoutValue.h"

#include <QList>
#include <QString>

namespace Kav {

struct LayoutProperty
{
    QString name; // may be dotted: "Font.Style", "SQL.Strings"
    LayoutValue value;
    int line = 0;
};

struct LayoutNode
{
    bool inherited = false; // "inherited": changes a component that already exists
    QString name;
    QString className;
    int line = 0;
    QList<LayoutProperty> properties;
    QList<LayoutNode> children;
};

} // namespace Kav
