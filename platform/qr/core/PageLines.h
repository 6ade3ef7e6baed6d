#pragma once
// Reads a laid-out page as lines of text, the way the character outputs (text, CSV) need it:
// each printed band gives one line per distinct height of its items, items left to right.

#include "PageModel.h"

#include <QList>

namespace Qr {

struct PageLine
{
    BandKind bandKind = BandKind::Detail;
    QList<const PageItem*> items; // by x
};

class PageLines
{
public:
    // Items of one band whose tops lie closer than this share a line.
    static constexpr double SameLineMm = 1.5;

    static QList<PageLine> of(const Page& page);
};

} // namespace Qr
