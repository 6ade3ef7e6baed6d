// Benchmark: opening the screen against the floor that matters, the same components of its
// layouts built by code generated at compile time (kavbind --construction) and shown in an MDI
// window of the screen's size and caption, where they are painted, with no data and no server.
// The generated code sets no property besides place and name, so a floor that also gave the
// components their stored texts, fonts and colours (as a uic-compiled form would) would only cost
// more: the ratio is an upper bound of the ratio to such a floor. The screen is opened from the
// package's factory to the end of its first activation; the work of its creation and
// first-activation handlers (the branch lookup, the local cache, the connection to the server,
// the general parameters) is timed apart and taken out of the screen's figure. Medians of several
// openings, each closed before the next, the first of each kind a warm-up; prints Markdown table
// rows with the ratios against the floor measured in the same run, in wall-clock time and in the
// process's CPU time (which other programs on a busy machine disturb less). Also timed, for
// comparison with earlier runs: the components in a window of the MDI area's own choosing, which
// shrinks to a bare title bar, so that nothing of them is painted.
//
//   kavbench_startup --database URL [--runs N]     (the demo database: kavdb create + demo)

#include "BenchStats.h"
#include "Cli_Zve41300.h"
#include "ClientContext.h"
#include "dtmDBGeral.h"
#include "FormFactory.h"
#include "KavException.h"
#include "ScriptedDialogService.h"
#include "TfrmNutriCard.h"
#include "TfrmNutriCardConstruction.h"

#include <ctime>
#include <functional>
#include <QApplication>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTextStream>

namespace {

constexpr int kDefaultRuns = 15;
constexpr int kWaitMs = 30000;
constexpr double kNanosPerMs = 1e6;
// The demo data's central kitchen, where the screen opens with everything to look up.
const QString kCentral = QStringLiteral("0010");

double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / kNanosPerMs;
}

// Wall-clock and CPU milliseconds of one span.
struct Span
{
    double wallMs = 0;
    double cpuMs = 0;

    Span& operator+=(const Span& other)
    {
        wallMs += other.wallMs;
        cpuMs += other.cpuMs;
        return *this;
    }
};

class Stopwatch
{
public:
    Stopwatch() : m_cpuStartMs(processCpuMs()) { m_wall.start(); }
    Span elapsed() const
    {
        return {double(m_wall.nsecsElapsed()) / kNanosPerMs, processCpuMs() - m_cpuStartMs};
    }

private:
    QElapsedTimer m_wall;
    double m_cpuStartMs;
};

// Medians of spans, each as wall-clock and CPU time.
struct Samples
{
    QList<double> wallMs;
    QList<double> cpuMs;

    void add(const Span& span)
    {
        wallMs << span.wallMs;
        cpuMs << span.cpuMs;
    }
    Span median() const { return {BenchStats::median(wallMs), BenchStats::median(cpuMs)}; }
};

// Runs the event loop until `done` holds; false when it did not within the wait.
bool waitFor(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(kWaitMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // Outside an event loop, windows closed with deleteLater() go only when asked.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // What the activation queued (its handlers' follow-ups) runs before the clock stops.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return true;
}

bool isActiveChild(const QMdiArea& area, const QWidget* widget)
{
    const QMdiSubWindow* active = area.activeSubWindow();
    return widget && active &&
           (active == widget || active->widget() == widget || active->isAncestorOf(widget));
}

// The time of `open` until `opened` returns a widget that is the active child.
Span timeOpening(const QMdiArea& area, const std::function<void()>& open,
                 const std::function<QWidget*()>& opened)
{
    const Stopwatch stopwatch;
    open();
    if (!waitFor([&] { return isActiveChild(area, opened()); }))
        throw Kav::Exception(QStringLiteral("the window did not become the active child"));
    return stopwatch.elapsed();
}

void closeAndWait(QWidget* window, const QString& what)
{
    QPointer<QWidget> closing = window;
    window->close();
    if (!waitFor([&] { return closing.isNull(); }))
        throw Kav::Exception(QStringLiteral("%1 did not close").arg(what));
}

} // namespace

// The screen, with the time its creation and activation handlers take summed up.
class TimedNutriCard : public TfrmNutriCard
{
    Q_OBJECT
public:
    using TfrmNutriCard::TfrmNutriCard;

    static inline Span handlers;

    Q_INVOKABLE void FormCreate(QObject* Sender)
    {
        timed([&] { TfrmNutriCard::FormCreate(Sender); });
    }
    Q_INVOKABLE void FormActivate(QObject* Sender)
    {
        timed([&] { TfrmNutriCard::FormActivate(Sender); });
    }

private:
    template <class Handler> void timed(Handler&& handler)
    {
        const Stopwatch stopwatch;
        handler();
        handlers += stopwatch.elapsed();
    }
};

namespace {

struct Opening
{
    Span total;
    Span handlers;
};

Opening openScreen(const QMdiArea& area)
{
    TimedNutriCard::handlers = {};
    Opening opening;
    opening.total = timeOpening(
        area,
        [] {
            Cli_Zve41300::CriaNutriCard([] {
                Frm::createFormOf<TimedNutriCard>(Cli_Zve41300::frmNutriCard, *Cli_Zve41300::hostContext,
                                                  Cli_Zve41300::unit);
            });
        },
        [] { return static_cast<QWidget*>(Cli_Zve41300::frmNutriCard); });
    opening.handlers = TimedNutriCard::handlers;
    if (!Cli_Zve41300::frmNutriCard)
        throw Kav::Exception(QStringLiteral("the screen closed itself while opening"));
    closeAndWait(Cli_Zve41300::frmNutriCard, QStringLiteral("the screen"));
    return opening;
}

// The window the generated components open in. The floor as first measured gives the
// components the form's size, which the MDI window then shrinks to a bare title bar: nothing of
// them is painted. Dressed as the screen's window (its size and caption), they are.
struct FloorWindow
{
    QSize formSize;
    QSize windowSize; // none: the MDI window's own
    QString caption;
};

Span openGeneratedComponents(QMdiArea& area, const FloorWindow& window)
{
    QPointer<QMdiSubWindow> child;
    const Span span = timeOpening(
        area,
        [&] {
            auto* form = new QWidget;
            KavLayout::buildTfrmNutriCardComponents(*form);
            form->resize(window.formSize);
            form->setWindowTitle(window.caption);
            child = area.addSubWindow(form);
            if (window.windowSize.isValid())
                child->resize(window.windowSize);
            child->setAttribute(Qt::WA_DeleteOnClose);
            child->show();
        },
        [&] { return static_cast<QWidget*>(child.data()); });
    closeAndWait(child, QStringLiteral("the generated components' window"));
    return span;
}

double ratio(double value, double baseline)
{
    return baseline > 0 ? value / baseline : 0.0;
}

QString row(const QString& what, const Span& span, const Span& baseline)
{
    return QStringLiteral("| %1 | %2 | %3 | %4 | %5 |\n")
        .arg(what)
        .arg(span.wallMs, 0, 'f', 2)
        .arg(ratio(span.wallMs, baseline.wallMs), 0, 'f', 2)
        .arg(span.cpuMs, 0, 'f', 2)
        .arg(ratio(span.cpuMs, baseline.cpuMs), 0, 'f', 2);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions(
        {{"database", "The demo database's URL.", "URL"}, {"runs", "Openings of each (default 15).", "N"}});
    parser.process(app);
    QTextStream out(stdout);
    QTextStream err(stderr);
    try {
        const int runs = parser.isSet("runs") ? parser.value("runs").toInt() : kDefaultRuns;
        Kavenso::Session session;
        session.filial = kCentral;
        Kav::ClientContext context(std::make_unique<Kav::ScriptedDialogService>(), session);
        dtmDBGeral::open(parser.value("database"));

        QMainWindow window;
        auto* area = new QMdiArea;
        window.setCentralWidget(area);
        context.setMdiArea(area);
        AttachClientContext(&context);
        window.show();
        window.activateWindow();
        if (!waitFor([&] { return window.isActiveWindow(); }))
            throw Kav::Exception(QStringLiteral("the main window did not become active"));

        // The form's size as its layout gives it, and its MDI window, read from a screen opened once.
        Cli_Zve41300::CriaNutriCard();
        const FloorWindow bare{Cli_Zve41300::frmNutriCard->size(), {}, {}};
        const FloorWindow dressed{bare.formSize, Cli_Zve41300::frmNutriCard->subWindow()->size(),
                                  Cli_Zve41300::frmNutriCard->windowTitle()};
        closeAndWait(Cli_Zve41300::frmNutriCard, QStringLiteral("the screen"));

        Samples screenWithout;
        Samples screenAll;
        Samples handlers;
        Samples bareTitleBar;
        Samples floor;
        for (int run = 0; run <= runs; ++run) { // the first of each warms caches and is not counted
            const Opening opening = openScreen(*area);
            const Span bareSpan = openGeneratedComponents(*area, bare);
            const Span dressedSpan = openGeneratedComponents(*area, dressed);
            if (run > 0) {
                screenAll.add(opening.total);
                handlers.add(opening.handlers);
                screenWithout.add({opening.total.wallMs - opening.handlers.wallMs,
                                   opening.total.cpuMs - opening.handlers.cpuMs});
                bareTitleBar.add(bareSpan);
                floor.add(dressedSpan);
            }
        }
        const Span floorMedian = floor.median();
        out << row(QStringLiteral("screen opened, without its handlers' database and server work"),
                   screenWithout.median(), floorMedian);
        out << row(QStringLiteral("the creation and first-activation handlers (database, server)"),
                   handlers.median(), floorMedian);
        out << row(QStringLiteral("screen opened, all included"), screenAll.median(), floorMedian);
        out << row(
            QStringLiteral("baseline: the same components built by generated code, shown in a window of "
                           "the screen's size and caption and activated"),
            floorMedian, floorMedian);
        out << row(QStringLiteral("the same components in a bare title bar, nothing of them painted (the "
                                  "earlier runs' floor)"),
                   bareTitleBar.median(), floorMedian);
        dtmDBGeral::close();
        return 0;
    } catch (const Kav::Exception& error) {
        err << "kavbench_startup: " << error.message() << "\n";
        return 1;
    }
}

#include "bench_startup.moc"
