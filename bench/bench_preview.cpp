// Benchmark: what a user waits for between asking for the preview and seeing its first and its
// last page, against the preparation alone (CriaNutriCard, the server's part of the same click).
// Each run: the server's method prepares a period's data, the per-dish layout's query reads it,
// a worker lays the pages out while the preview window shows them as they arrive. The first page
// counts once the window with it is painted, the last once the count of pages is filled in. For
// comparison, the first page as it came before: every page laid out before the window opened.
// Prints Markdown table rows, medians of the runs.
//
//   kavbench_preview --database URL --layout FILE --central C --menu-type T
//                    --period LABEL:FIRST:LAST [--period ...] [--runs N]

#include "BackgroundLayout.h"
#include "BenchCommandLine.h"
#include "BenchReport.h"
#include "BenchStats.h"
#include "KavException.h"
#include "LayoutReader.h"
#include "PreviewWindow.h"

#include <ctime>
#include <functional>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>

using namespace Qr;

namespace {

constexpr int kDefaultRuns = 5;
constexpr double kNanosecondsPerMs = 1e6;

// Milliseconds from the click.
struct Run
{
    double preparation = 0;
    double firstPage = 0;
    double lastPage = 0;
    double allPagesFirst = 0; // the first page when every page was laid out before showing one
    // The process's processor time (both threads) from the end of the preparation to the first
    // page: what the wait would be on cores of its own, whatever else the machine runs.
    double firstAfterPreparationCpu = 0;
    int rows = 0;
    int pages = 0;

    double firstAfterPreparation() const { return firstPage - preparation; }
    double allPagesFirstAfterPreparation() const { return allPagesFirst - preparation; }
    double firstRatio() const { return firstPage / preparation; }
    double lastRatio() const { return lastPage / preparation; }
    double allPagesFirstRatio() const { return allPagesFirst / preparation; }
};

double msSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / kNanosecondsPerMs;
}

double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / kNanosecondsPerMs;
}

// The preview as the report dialog opens it, fed by the worker; returns when the last page is in.
// `firstCpu` receives the process's processor time when the first page was painted.
void previewWhileLayingOut(BackgroundLayout& layout, const QElapsedTimer& click, Run& run, double& firstCpu)
{
    PreviewWindow window(layout.frame(), {}, nullptr, PreviewWindow::Pages::Arriving);
    window.show();
    QEventLoop loop;
    QObject::connect(&layout, &BackgroundLayout::pagesReady, &window, [&] {
        window.addPages(layout.takePages());
        if (run.firstPage == 0 && window.pageCount() > 0) {
            window.grab(); // painted as the user sees it
            run.firstPage = msSince(click);
            firstCpu = processCpuMs();
        }
    });
    QObject::connect(&layout, &BackgroundLayout::finished, &window, [&] {
        if (layout.error().isEmpty()) {
            window.finishPages(layout.result());
            window.grab();
            run.lastPage = msSince(click);
            run.pages = window.pageCount();
        }
        loop.quit();
    });
    layout.start();
    loop.exec();
    if (!layout.error().isEmpty())
        throw Kav::Exception(layout.error());
}

Run once(BenchReport& report, const ReportLayout& layout)
{
    Run run;
    QElapsedTimer click;
    click.start();
    const QString key = report.prepare();
    run.preparation = msSince(click);
    const double preparedCpu = processCpuMs();
    ReportSnapshot snapshot;
    snapshot.layout = layout;
    snapshot.data = {report.read(key)};
    snapshot.params = {report.params(key)};
    snapshot.now = QDateTime::currentDateTime();
    const double read = msSince(click) - run.preparation;
    const double readCpu = processCpuMs() - preparedCpu;
    run.rows = int(snapshot.data.front().rows.size());

    QElapsedTimer allAtOnce;
    allAtOnce.start();
    PageLayouter::Options options;
    options.now = snapshot.now;
    const PageModel whole = PageLayouter::layOut(snapshot.layout, snapshot.parts(), options);
    {
        PreviewWindow window(whole, {});
        window.show();
        window.grab();
    }
    run.allPagesFirst = run.preparation + read + msSince(allAtOnce);

    // The click again from the moment the rows were read, without the one-shot layout above.
    QElapsedTimer resumed;
    resumed.start();
    BackgroundLayout background(std::move(snapshot));
    const double previewStartCpu = processCpuMs();
    double firstCpu = 0;
    previewWhileLayingOut(background, resumed, run, firstCpu);
    run.firstAfterPreparationCpu = readCpu + firstCpu - previewStartCpu;
    run.firstPage += run.preparation + read;
    run.lastPage += run.preparation + read;
    report.remove(key);
    return run;
}

template <typename Measure> double medianOf(const QList<Run>& runs, Measure measure)
{
    QList<double> values;
    for (const Run& run : runs)
        values << std::invoke(measure, run);
    return BenchStats::median(values);
}

QString ms(double value)
{
    return QString::number(value, 'f', 0);
}

QString ratio(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    BenchCommandLine options(
        {{"layout", "Report layout file.", "FILE"},
         {"period", "A period to preview: label, first and last day.", "LABEL:YYYY-MM-DD:YYYY-MM-DD"},
         {"runs", "Timed runs of each period (default 5).", "N"}},
        BenchCommandLine::Period::OwnOptions);
    options.process(app);
    QTextStream out(stdout);
    return runBenchmark(QStringLiteral("kavbench_preview"), [&] {
        QSqlDatabase db = options.openDatabase();
        const ReportLayout layout = LayoutReader::readFile(options.value("layout"));
        const int runs = options.number("runs", kDefaultRuns);
        for (const QString& period : options.values("period")) {
            const QStringList parts = period.split(QLatin1Char(':'));
            if (parts.size() != 3)
                throw Kav::Exception(QStringLiteral("período inválido: %1").arg(period));
            BenchReport report(db, options.url().engine(), layout,
                               {options.central(), options.menuType(),
                                QDate::fromString(parts[1], Qt::ISODate),
                                QDate::fromString(parts[2], Qt::ISODate)});
            QList<Run> timed;
            once(report, layout); // warm-up: caches and fonts
            for (int run = 0; run < runs; ++run)
                timed << once(report, layout);
            const QString preparation = ms(medianOf(timed, &Run::preparation));
            out << QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 | %10 |\n")
                       .arg(parts[0])
                       .arg(timed.first().rows)
                       .arg(timed.first().pages)
                       .arg(preparation, ms(medianOf(timed, &Run::firstPage)),
                            ratio(medianOf(timed, &Run::firstRatio)),
                            ms(medianOf(timed, &Run::firstAfterPreparation)),
                            ms(medianOf(timed, &Run::firstAfterPreparationCpu)),
                            ms(medianOf(timed, &Run::lastPage)), ratio(medianOf(timed, &Run::lastRatio)))
                << QStringLiteral("| %1, before: every page laid out first | | | %2 | %3 | %4 | %5 | | | |\n")
                       .arg(parts[0], preparation, ms(medianOf(timed, &Run::allPagesFirst)),
                            ratio(medianOf(timed, &Run::allPagesFirstRatio)),
                            ms(medianOf(timed, &Run::allPagesFirstAfterPreparation)));
            out.flush();
        }
        return 0;
    });
}
