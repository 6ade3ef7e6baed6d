#include "ReportRun.h"

#include "ReportCancelled.h"
#include "ReportQuery.h"

namespace Qr {

namespace {

ReportData query(const QSqlDatabase& database, const QString& sql, const TParams& params,
                 const ReportRun::QueryStarted& queryStarted)
{
    if (queryStarted && !queryStarted())
        throw ReportCancelled();
    return ReportQuery::run(database, sql, params);
}

} // namespace

ReportSnapshot ReportRun::read(const QSqlDatabase& database, const ReportLayout& layout,
                               const TParams& params, const QDateTime& now, const QueryStarted& queryStarted)
{
    ReportSnapshot snapshot;
    snapshot.layout = layout;
    snapshot.now = now;
    const std::optional<ColumnBlocks>& blocks = layout.columnBlocks;
    const int values = blocks ? blocks->valueCount(params) : 0;
    const int blockCount = blocks ? blocks->blockCount(params) : 1;
    for (int block = 0; block < blockCount; ++block) {
        TParams blockParams = params;
        if (blocks)
            blocks->applyBlock(blockParams, block);
        ReportData& data =
            snapshot.data.emplace_back(query(database, layout.query, blockParams, queryStarted));
        for (const ReportList& list : layout.lists) {
            const bool follows = layout.listFollowsBlocks(list);
            data.lists.push_back(follows || block == 0 ? query(database, list.query,
                                                               follows ? blockParams : params, queryStarted)
                                                       : ReportData());
        }
        snapshot.params.push_back(blockParams);
        snapshot.blockRanges.push_back(blocks ? blocks->blockRange(block, values) : QString());
    }
    return snapshot;
}

PageModel ReportRun::layOut(const ReportSnapshot& snapshot, const PageLayouter::Options& options)
{
    return PageLayouter::layOut(snapshot.layout, snapshot.parts(), options);
}

} // namespace Qr
