#pragma once
// A report laid out once into pages, which every renderer (printer, preview, PDF, text, CSV,
// HTML) draws or writes without laying it out again.

#include "PageItem.h"
#include "PageSetup.h"

#include <QList>
#include <QString>

namespace Qr {

struct Page
{
    QList<PageItem> items;
};

struct PageModel
{
    QString title;
    PageSetup page;
    QString fontFamily;
    double fontSize = 0;
    QList<Page> pages;
};

} // namespace Qr
