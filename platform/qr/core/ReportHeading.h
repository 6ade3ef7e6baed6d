#pragma once
// What a laid-out report says about itself, for outputs that carry it beside the data (the
// spreadsheet's second sheet): the heading of its first page (title, central, menu type, period,
// reference and its source, portion basis) and the notes printed at its end.

#include "PageModel.h"

#include <QStringList>

namespace Qr {

struct ReportHeading
{
    QString title;
    QStringList lines; // the first page's title and page header, top to bottom, one text each
    QStringList notes; // texts of the summary printed on a line of their own

    static ReportHeading of(const PageModel& model);
};

} // namespace Qr
