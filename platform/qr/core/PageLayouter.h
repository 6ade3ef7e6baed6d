#pragma once
// Lays a report out once into pages: bands in their order (title, page header, column header,
// group headers, details, group footers, summary, page footer), a new page when the next band
// does not fit, aggregates over each group's or the whole report's rows, and "page X of Y"
// values filled in once the number of pages is known. Pages can be handed over one by one while
// the run goes on, so that a preview shows the first ones before the last is laid out.

#include "PageModel.h"
#include "TParams.h"

#include <functional>
#include <QDateTime>

namespace Qr {

struct ReportData;
struct ReportLayout;

class PageLayouter
{
public:
    // Told the rows done and the total; returns false to cancel (ReportCancelled is raised).
    using Progress = std::function<bool(int done, int total)>;

    // Rows between two progress reports.
    static constexpr int ProgressStep = 200;

    // Told each page as soon as nothing more goes on it; its "page of pages" values read "?" until
    // the returned model fills them in. Called on the thread the layout runs on.
    using PageLaidOut = std::function<void(const Page& page)>;

    struct Options
    {
        QDateTime now = QDateTime::currentDateTime(); // what now() shows
        Progress progress;
        PageLaidOut pageLaidOut;
    };

    // One run of the layout's bands over rows read with some parameters: the whole report, or one
    // block of its columns (ColumnBlocks).
    struct Part
    {
        const ReportData* data;
        TParams params;
        QString blockRange; // what columnblock() shows: "9 a 16 de 26"; empty with one block
    };

    // Kav::Exception when an expression names a column the query does not return.
    static PageModel layOut(const ReportLayout& layout, const ReportData& data, const TParams& params,
                            const Options& options);
    // The parts one after the other, each from a new page, each followed by its rows of the lists
    // that follow the column blocks; the other lists (read with the first part) after the last.
    // Kav::Exception also when there is no part.
    static PageModel layOut(const ReportLayout& layout, const QList<Part>& parts, const Options& options);
};

} // namespace Qr
