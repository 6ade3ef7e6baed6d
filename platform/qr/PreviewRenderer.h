#pragma once
// Shows a report in the preview window until the user closes it. Answered beforehand (tests,
// scripts): the window opens, is painted, and a "close" answer for the preview dialog closes it.

#include "ReportRenderer.h"

namespace Qr {

class BackgroundLayout;

class PreviewRenderer : public ReportRenderer
{
public:
    bool render(const PageModel& model, const RenderTarget& target) override;
    // Starts `layout` and shows each page as it is laid out; closing the window stops the layout.
    // An answer given beforehand plays once every page is there, as on a finished report.
    // Kav::Exception when the layout fails.
    bool renderWhileLayingOut(BackgroundLayout& layout, const RenderTarget& target);
};

} // namespace Qr
