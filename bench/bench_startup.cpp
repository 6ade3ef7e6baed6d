// Benchmark: opening the screen, from the package's IniProc to the end of the form's first
// activation (stored layout loaded, controls built, lookups bound, activation handlers run),
// against the floor of any MDI screen: an empty child window created, shown and activated in the
// same main window. Medians of several openings, each closed again before the next; prints one
// Markdown table row per case and the ratio.
//
//   kavbench_startup --database URL [--runs N]     (the demo database: kavdb create + demo)

#include "BenchStats.h"
#include "Cli_Zve41300.h"
#include "DialogService.h"
#include "dtmDBGeral.h"
#include "Kavenso.h"
#include "KavException.h"
#include "TfrmDadosGerRel.h"
#include "TfrmNutriCard.h"

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

extern "C" void IniProc();

namespace {

constexpr int kDefaultRuns = 15;
constexpr int kWaitMs = 30000;
// The demo data's central kitchen, where the screen opens with everything to look up.
const QString kCentral = QStringLiteral("0010");

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

// Milliseconds of `open` until `opened` returns a widget that is the active child.
double timeOpening(const QMdiArea& area, const std::function<void()>& open,
                   const std::function<QWidget*()>& opened)
{
    QElapsedTimer timer;
    timer.start();
    open();
    if (!waitFor([&] { return isActiveChild(area, opened()); }))
        throw Kav::Exception(QStringLiteral("the window did not become the active child"));
    return double(timer.nsecsElapsed()) / 1e6;
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
        Kav::DialogService::instance().setAutomated(true);
        dtmDBGeral::open(parser.value("database"));
        Kavenso::Session session = Kavenso::CurrentSession();
        session.filial = kCentral;
        Kavenso::SetSession(session);

        QMainWindow window;
        auto* area = new QMdiArea;
        window.setCentralWidget(area);
        TfrmDadosGerRel::setMdiArea(area);
        window.show();
        window.activateWindow();
        if (!waitFor([&] { return window.isActiveWindow(); }))
            throw Kav::Exception(QStringLiteral("the main window did not become active"));

        QList<double> screen;
        QList<double> floor;
        for (int run = 0; run <= runs; ++run) { // the first of each warms caches and is not counted
            const double screenMs = timeOpening(
                *area, [] { IniProc(); }, [] { return static_cast<QWidget*>(Cli_Zve41300::frmNutriCard); });
            QPointer<QWidget> form = Cli_Zve41300::frmNutriCard;
            Cli_Zve41300::frmNutriCard->Close();
            if (!waitFor([&] { return form.isNull(); }))
                throw Kav::Exception(QStringLiteral("the screen did not close"));

            QPointer<QMdiSubWindow> child;
            const double floorMs = timeOpening(
                *area,
                [&] {
                    child = area->addSubWindow(new QWidget);
                    child->setAttribute(Qt::WA_DeleteOnClose);
                    child->show();
                },
                [&] { return static_cast<QWidget*>(child.data()); });
            child->close();
            if (!waitFor([&] { return child.isNull(); }))
                throw Kav::Exception(QStringLiteral("the empty child did not close"));
            if (run > 0) {
                screen << screenMs;
                floor << floorMs;
            }
        }
        const double screenMedian = BenchStats::median(screen);
        const double floorMedian = BenchStats::median(floor);
        out << QStringLiteral("| IniProc to the end of the first activation | %1 | %2 |\n")
                   .arg(screenMedian, 0, 'f', 1)
                   .arg(floorMedian > 0 ? screenMedian / floorMedian : 0.0, 0, 'f', 1);
        out << QStringLiteral("| baseline: empty MDI child shown and activated | %1 | 1.0 |\n")
                   .arg(floorMedian, 0, 'f', 2);
        TfrmDadosGerRel::setMdiArea(nullptr);
        dtmDBGeral::close();
        return 0;
    } catch (const Kav::Exception& error) {
        err << "kavbench_startup: " << error.message() << "\n";
        return 1;
    }
}
