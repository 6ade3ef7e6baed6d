#pragma once
// Finds the comments of a .QR2 file and the place of each (see LayoutComment). A comment inside an
// element that holds text (a <text>, a <query>) or nothing is placed before that element, so that
// writing it back never changes the text.

#include "LayoutComment.h"

#include <QByteArray>

namespace Qr {

class LayoutCommentReader
{
public:
    // The comments in the file's order; for malformed XML, those before the fault.
    static LayoutComments read(const QByteArray& xml);
    // Whether the comment stands among the bands, groups and lists (what the layout editor shows
    // as the bands' text), rather than in the layout's head.
    static bool standsInBands(const LayoutComment& comment);
};

} // namespace Qr
