#pragma once
// Lays a report out once into pages: bands in their order (title, page header, column header,
// group headers, details, group footers, summary, page footer), a new page when the next band
// does not fit, aggregates over each group's or the whole report's rows, and "page X of Y"
// values filled in once the number of pages is known.

#include "PageModel.h"

#include <functional>
#include <QDateTime>

struct ReportData;
struct ReportLayout;
class TParams;

class PageLayouter
{
public:
    // Told the rows done and the total; returns false to cancel (ReportCancelled is raised).
    using Progress = std::function<bool(int done, int total)>;

    // Rows between two progress reports.
    static constexpr int ProgressStep = 200;

    struct Options
    {
        QDateTime now = QDateTime::currentDateTime(); // what now() shows
        Progress progress;
    };

    // Kav::Exception when an expression names a column the query does not return.
    static PageModel layOut(const ReportLayout& layout, const ReportData& data, const TParams& params,
                            const Options& options);
};
