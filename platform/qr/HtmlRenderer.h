#pragma once
// Writes a report as one HTML file: each page a sheet of its paper size, each item placed where
// it is printed, texts escaped.

#include "ReportRenderer.h"

#include <QString>

class HtmlRenderer : public ReportRenderer
{
public:
    bool render(const PageModel& model, const RenderTarget& target) override;
    static QString toHtml(const PageModel& model);
};
