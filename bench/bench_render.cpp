// Benchmark: a report of about a thousand pages through the report engine, to PDF and to text,
// against the same rows laid out with QTextDocument and printed to PDF, as a Qt program without
// a report engine would. The rows are real: CriaNutriCard prepares a central's year on the
// benchmark database and the screen's per-dish layout reads them; they are repeated a year later
// each time until the report reaches the pages asked. Prints Markdown table rows: pages, median
// seconds and pages per second of each output, and the ratio to the baseline.
//
//   kavbench_render --database URL --layout FILE --central C --menu-type T --first D --last D
//                   [--pages N] [--runs N] [--out DIR]

#include "BenchCommandLine.h"
#include "BenchReport.h"
#include "BenchStats.h"
#include "KavException.h"
#include "LayoutReader.h"
#include "PageLayouter.h"
#include "ReportData.h"
#include "ReportOutputs.h"

#include <functional>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTextDocument>
#include <QTextStream>

using namespace Qr;

namespace {

constexpr int kDefaultPages = 1000;
constexpr int kDefaultRuns = 3;
// The layout's nutrient columns the baseline prints too.
constexpr int kNutrientColumns = 8;

// The screen's path: prepare the data, read it with the layout's own query, delete it.
ReportData preparedRows(QSqlDatabase& db, const ReportLayout& layout, const BenchCommandLine& options)
{
    BenchReport report(db, options.url().engine(), layout,
                       {options.central(), options.menuType(), options.first(), options.last()});
    const QString key = report.prepare();
    const ReportData data = report.read(key);
    report.remove(key);
    return data;
}

// `data` repeated, each copy a year after the one before, `copies` times.
ReportData repeated(const ReportData& data, int copies)
{
    ReportData result;
    result.columns = data.columns;
    const qsizetype dayColumn = data.columns.indexOf(QStringLiteral("DTCARDAPIO"));
    for (int copy = 0; copy < copies; ++copy) {
        for (QVariantList row : data.rows) {
            if (dayColumn >= 0 && !row[dayColumn].isNull())
                row[dayColumn] = row[dayColumn].toDate().addYears(copy);
            result.rows.append(row);
        }
    }
    return result;
}

// The baseline: one heading per day and a table of its dishes, printed through QPrinter.
QString baselineHtml(const ReportData& data)
{
    const qsizetype day = data.columns.indexOf(QStringLiteral("DTCARDAPIO"));
    const qsizetype service = data.columns.indexOf(QStringLiteral("NMSERVICO"));
    const qsizetype dish = data.columns.indexOf(QStringLiteral("NMPRATO"));
    const qsizetype type = data.columns.indexOf(QStringLiteral("NMTIPOPRAT"));
    QList<qsizetype> values;
    for (int i = 1; i <= kNutrientColumns; ++i)
        values << data.columns.indexOf(QStringLiteral("VR%1").arg(i));
    QString html = QStringLiteral("<html><body style=\"font-family:'DejaVu Sans'; font-size:7pt\">"
                                  "<h2 align=\"center\">Nutrientes do Cardápio</h2>");
    QDate current;
    for (const QVariantList& row : data.rows) {
        const QDate rowDay = row.value(day).toDate();
        if (rowDay != current) {
            if (current.isValid())
                html += QStringLiteral("</table>");
            current = rowDay;
            html += QStringLiteral("<h4>%1</h4><table width=\"100%\" cellspacing=\"0\">")
                        .arg(rowDay.toString(QStringLiteral("dddd, dd/MM/yyyy")));
        }
        html +=
            QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td>")
                .arg(row.value(service).toString().toHtmlEscaped(),
                     row.value(dish).toString().toHtmlEscaped(), row.value(type).toString().toHtmlEscaped());
        for (const qsizetype column : values)
            html +=
                QStringLiteral("<td align=\"right\">%1</td>")
                    .arg(row.value(column).isNull() ? QString()
                                                    : QString::number(row.value(column).toDouble(), 'f', 1));
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table></body></html>");
}

struct Timing
{
    int pages = 0;
    double seconds = 0.0;
};

Timing timed(int runs, const std::function<int()>& work)
{
    QList<double> seconds;
    int pages = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        pages = work();
        seconds << double(timer.nsecsElapsed()) / 1e9;
    }
    return {pages, BenchStats::median(seconds)};
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    BenchCommandLine options({{"layout", "Report layout file.", "FILE"},
                              {"pages", "Pages wanted (default 1000).", "N"},
                              {"runs", "Timed runs of each output (default 3).", "N"},
                              {"out", "Folder for the outputs (default: the temporary folder).", "DIR"}});
    options.process(app);
    QTextStream out(stdout);
    return runBenchmark(QStringLiteral("kavbench_render"), [&] {
        QSqlDatabase db = options.openDatabase();
        const ReportLayout layout = LayoutReader::readFile(options.value("layout"));
        const int pagesWanted = options.number("pages", kDefaultPages);
        const int runs = options.number("runs", kDefaultRuns);
        const QDir folder(options.isSet("out") ? options.value("out") : QDir::tempPath());
        const TParams params = layout.createParams();

        const ReportData year = preparedRows(db, layout, options);
        const int pagesPerYear = int(PageLayouter::layOut(layout, year, params, {}).pages.size());
        if (pagesPerYear == 0)
            throw Kav::Exception(QStringLiteral("the prepared data gives no page"));
        const ReportData data = repeated(year, (pagesWanted + pagesPerYear - 1) / pagesPerYear);

        const auto engine = [&](const QString& renderer, const QString& file) {
            return timed(runs, [&] {
                const PageModel model = PageLayouter::layOut(layout, data, params, {});
                RenderTarget target;
                target.fileName = folder.filePath(file);
                ReportOutputs::createRenderer(renderer)->render(model, target);
                return int(model.pages.size());
            });
        };
        const Timing pdf = engine(QStringLiteral("pdf"), QStringLiteral("kavbench-report.pdf"));
        const Timing text = engine(QStringLiteral("text"), QStringLiteral("kavbench-report.txt"));
        const Timing baseline = timed(runs, [&] {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setPageOrientation(QPageLayout::Landscape);
            printer.setOutputFileName(folder.filePath(QStringLiteral("kavbench-baseline.pdf")));
            // Laid out for the printer itself, as QTextDocument::print does, so that pageCount()
            // is what gets printed.
            QTextDocument document;
            document.documentLayout()->setPaintDevice(&printer);
            document.setHtml(baselineHtml(data));
            document.setPageSize(printer.pageRect(QPrinter::DevicePixel).size());
            document.print(&printer);
            return document.pageCount();
        });

        const auto row = [&](const QString& what, const Timing& timing) {
            const double rate = timing.seconds > 0 ? timing.pages / timing.seconds : 0.0;
            const double baseRate = baseline.seconds > 0 ? baseline.pages / baseline.seconds : 0.0;
            out << QStringLiteral("| %1 | %2 | %3 | %4 | %5 |\n")
                       .arg(what)
                       .arg(timing.pages)
                       .arg(timing.seconds, 0, 'f', 2)
                       .arg(rate, 0, 'f', 0)
                       .arg(baseRate > 0 ? rate / baseRate : 0.0, 0, 'f', 2);
        };
        row(QStringLiteral("report engine, PDF"), pdf);
        row(QStringLiteral("report engine, text"), text);
        row(QStringLiteral("baseline: QTextDocument printed to PDF"), baseline);
        return 0;
    });
}
