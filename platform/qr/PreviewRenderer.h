#pragma once
// Shows a report in the preview window until the user closes it. Automated (tests, scripts):
// the window opens, is painted, and a "close" answer for the preview dialog closes it.

#include "ReportRenderer.h"

class PreviewRenderer : public ReportRenderer
{
public:
    bool render(const PageModel& model, const RenderTarget& target) override;
};
