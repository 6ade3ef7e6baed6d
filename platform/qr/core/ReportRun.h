#pragma once
// One run of a layout, without windows: the parameters a caller bound, the rows its queries
// return (block by block of columns), the pages laid out from them, and the file output chosen
// by name (ReportOutputs). The report dialog of a form asks the parameters, shows the progress
// and opens the windows (printer, preview); tools and tests run layouts through this alone.

#include "PageLayouter.h"
#include "ReportSnapshot.h"

#include <functional>
#include <optional>
#include <QSqlDatabase>

namespace Qr {

// Values bound to a numbered series of parameters (P_NUTRIENTE1, 2...) past the columns a
// layout without column blocks has for them: they would not be printed.
struct UnprintedValues
{
    QString prefix;
    int printed = 0; // the layout's columns: its declared parameters of the series
    int bound = 0;   // the values the run was given
};

class ReportRun
{
public:
    // Told the step, the work done and the total (0 when unknown); false cancels the run
    // (ReportCancelled is raised). Told often while a query runs, so a window stays alive.
    using Progress = std::function<bool(const QString& step, int done, int total)>;

    static inline const QString ReadingStep = QStringLiteral("Consultando os dados...");
    static inline const QString LayingOutStep = QStringLiteral("Montando as páginas...");
    static inline const QString WritingStep = QStringLiteral("Gerando as páginas...");

    // `now` is what now() shows in the layout.
    ReportRun(const QSqlDatabase& database, const ReportLayout& layout, const TParams& params,
              const QDateTime& now);

    void setProgress(Progress progress) { m_progress = std::move(progress); }
    const ReportLayout& layout() const { return m_layout; }
    const TParams& params() const { return m_params; }

    // The report's query once per block of columns (ColumnBlocks) its parameters fill, each with
    // the lists that follow the blocks; the other lists once, with the parameters as bound.
    ReportSnapshot read() const;
    // The pages of a snapshot.
    PageModel layOut(const ReportSnapshot& snapshot) const;
    // read(), then layOut().
    PageModel pages() const;
    // Writes `fileName` through the output named `output` (ReportOutputs): the pages through its
    // renderer; a workbook from the rows of the layout's data export (or of its query) under the
    // first page's heading; a CSV of a layout that declares a data export, that export's rows.
    void save(const QString& fileName, const QString& output) const;

    // A numbered series bound past the columns of a layout that has no column blocks for it;
    // none when every bound value will print.
    std::optional<UnprintedValues> unprinted() const;

private:
    ReportData query(const QString& sql, const TParams& params, int done, int total) const;
    bool told(const QString& step, int done, int total) const;

    QSqlDatabase m_database;
    ReportLayout m_layout;
    TParams m_params;
    QDateTime m_now;
    Progress m_progress;
};

} // namespace Qr
