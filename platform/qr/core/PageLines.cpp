#include "PageLines.h"

#include <algorithm>

namespace Qr {

QList<PageLine> PageLines::of(const Page& page)
{
    QList<PageLine> lines;
    qsizetype bandStart = 0;
    while (bandStart < page.items.size()) {
        const int band = page.items[bandStart].band;
        qsizetype bandEnd = bandStart;
        QList<const PageItem*> items;
        while (bandEnd < page.items.size() && page.items[bandEnd].band == band)
            items.append(&page.items[bandEnd++]);
        std::stable_sort(items.begin(), items.end(),
                         [](const PageItem* a, const PageItem* b) { return a->rect.top() < b->rect.top(); });
        for (qsizetype i = 0; i < items.size();) {
            PageLine line;
            line.bandKind = items[i]->bandKind;
            const double top = items[i]->rect.top();
            while (i < items.size() && items[i]->rect.top() - top < SameLineMm)
                line.items.append(items[i++]);
            std::stable_sort(line.items.begin(), line.items.end(), [](const PageItem* a, const PageItem* b) {
                return a->rect.left() < b->rect.left();
            });
            lines.append(line);
        }
        bandStart = bandEnd;
    }
    return lines;
}

} // namespace Qr
