#pragma once
// Writes a report as one HTML file: each page a table whose columns are the distinct left edges of
// its texts, one row per printed line, so that a paste into a spreadsheet keeps the columns; texts
// escaped, well-formed (XHTML syntax), emphasis as a class.

#include "ReportRenderer.h"

#include <QString>

namespace Qr {

class HtmlRenderer : public ReportRenderer
{
public:
    bool render(const PageModel& model, const RenderTarget& target) override;
    static QString toHtml(const PageModel& model);
};

} // namespace Qr
