#pragma once
// One run of a layout, without windows: the rows its queries return for the parameters a caller
// bound, read block by block of columns, and the pages laid out from them. The report dialog asks
// the parameters and picks the output; tools and tests call this directly.

#include "PageLayouter.h"
#include "ReportSnapshot.h"

#include <functional>

class QSqlDatabase;

namespace Qr {

class ReportRun
{
public:
    // Told before each query; false cancels the read (ReportCancelled is raised).
    using QueryStarted = std::function<bool()>;

    // The report's query once per block of columns (ColumnBlocks) its parameters fill, each with
    // the lists that follow the blocks; the other lists once, with the parameters as bound.
    static ReportSnapshot read(const QSqlDatabase& database, const ReportLayout& layout,
                               const TParams& params, const QDateTime& now,
                               const QueryStarted& queryStarted = {});
    // The pages of a snapshot.
    static PageModel layOut(const ReportSnapshot& snapshot, const PageLayouter::Options& options);
};

} // namespace Qr
