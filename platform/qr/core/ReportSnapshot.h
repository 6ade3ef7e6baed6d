#pragma once
// Everything one layout run reads, owned and no longer shared with the form: a copy of the layout,
// the rows its queries returned and the parameters each part was read with. Nothing else touches
// it once taken, so the run may go on on another thread.

#include "PageLayouter.h"
#include "ReportData.h"
#include "ReportLayout.h"

#include <QDateTime>
#include <vector>

namespace Qr {

struct ReportSnapshot
{
    ReportLayout layout;
    // One per block of columns, with the rows of the lists that follow the blocks; the rows of
    // the other lists in the first.
    std::vector<ReportData> data;
    std::vector<TParams> params;
    std::vector<QString> blockRanges; // what columnblock() shows in each block
    QDateTime now;

    QList<PageLayouter::Part> parts() const
    {
        QList<PageLayouter::Part> parts;
        for (std::size_t i = 0; i < data.size(); ++i)
            parts.append({&data[i], params[i], i < blockRanges.size() ? blockRanges[i] : QString()});
        return parts;
    }
};

} // namespace Qr
