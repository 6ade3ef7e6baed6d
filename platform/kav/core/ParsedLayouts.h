#pragma once
// The parsed trees of layouts compiled into the program as resources, read once: a resource does
// not change while the program runs, so every form created from it after the first skips the
// parsing.

#include "LayoutNode.h"

#include <QString>

namespace Kav {

namespace ParsedLayouts {

// True for a layout file this cache keeps (a ":/resource").
bool isCached(const QString& fileName);

// The root component of the layout file `fileName`, parsed once when it is a resource and on
// every call otherwise. Throws LayoutError (unreadable file, syntax); an error is not kept.
LayoutNode parse(const QString& fileName);

} // namespace ParsedLayouts

} // namespace Kav
