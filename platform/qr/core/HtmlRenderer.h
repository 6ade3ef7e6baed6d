#pragma once
// Writes a report as one HTML file: each page a table, every table with the same columns (the
// distinct left edges of the report's texts), one row per printed line, so that a heading keeps
// its column on every page and a paste into a spreadsheet keeps the columns. A printed figure
// carries its number for programs (data-value="1024.7", as printed) and its incomplete mark
// apart (data-incompleto="S", the "*" in a span of its own); a chart gives its bars, its note and
// its reference lines as rows. Texts escaped, well-formed (XHTML syntax), emphasis as a class.

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
