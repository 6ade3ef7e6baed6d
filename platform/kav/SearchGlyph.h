#pragma once
// The magnifying-glass glyph shown by the lookup and search buttons, drawn rather than loaded
// so the library carries no image files.

#include <QIcon>

namespace Kav {

// A magnifier of `side` pixels, drawn in the palette's button-text colour.
QIcon searchGlyph(int side);

} // namespace Kav
