#pragma once
// Writes a report as plain text on a grid of characters: each line of a band becomes a line of
// text, each item starts at the column its position gives and is cut to its width; pages are
// separated by a form feed.

#include "ReportRenderer.h"

#include <QString>

namespace Qr {

class TextRenderer : public ReportRenderer
{
public:
    // Width of one character column.
    static constexpr double CellWidthMm = 1.5;

    bool render(const PageModel& model, const RenderTarget& target) override;
    // The whole report as one text.
    static QString toText(const PageModel& model);
};

} // namespace Qr
