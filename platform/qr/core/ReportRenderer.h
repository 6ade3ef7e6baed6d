#pragma once
// An output of a laid-out report (printer, preview window, PDF, text, CSV, HTML), chosen by name
// through ReportOutputs (the files) or by the report dialog (the windows).

#include <functional>
#include <QString>

class QWidget;

namespace Qr {

struct PageModel;

struct RenderTarget
{
    QString fileName;          // file renderers: where to write
    QWidget* parent = nullptr; // windowed renderers: the window they belong to
    // Told the pages done and the total; false cancels (ReportCancelled is raised).
    std::function<bool(int done, int total)> progress;
    // Preview: its print button prints the same pages through this.
    std::function<void()> print;
};

class ReportRenderer
{
public:
    virtual ~ReportRenderer() = default;
    // False when the user declined (a print dialog cancelled); Kav::Exception on a failure.
    virtual bool render(const PageModel& model, const RenderTarget& target) = 0;

protected:
    // Reports page `done` of `total` to the target; raises ReportCancelled when it cancels.
    static void pageDone(const RenderTarget& target, int done, int total);
};

} // namespace Qr
