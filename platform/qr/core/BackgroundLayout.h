#pragma once
// Lays a report out on a worker thread and hands its pages over as they are finished, so that a
// preview shows page 1 while the rest is still being laid out.
//
// Why the worker may run the layout: it reads only its own snapshot (layout, rows and parameters
// copied before it starts and never touched by the GUI thread until it has ended), the layout's
// expressions are immutable once read (each run binds columns on its own), and text is measured
// on an image, which Qt allows outside the GUI thread. Pages cross over under a mutex; the
// signals reach the receivers through the event loop of the thread this object lives in.

#include "PageModel.h"
#include "ReportSnapshot.h"

#include <atomic>
#include <mutex>
#include <QObject>
#include <thread>

namespace Qr {

class BackgroundLayout : public QObject
{
    Q_OBJECT
public:
    explicit BackgroundLayout(ReportSnapshot snapshot, QObject* parent = nullptr);
    // Stops a layout still running and waits for the worker to end.
    ~BackgroundLayout() override;

    void start();
    // Ends the layout at its next progress check; neither pagesReady nor finished follow it.
    void cancel();

    // The report's title, sheet and font, without pages: enough to open the preview.
    const PageModel& frame() const { return m_frame; }
    // The pages finished since the last call, in order.
    QList<Page> takePages();

    bool isFinished() const { return m_finished; }
    // Once finished: the whole report with its page counts filled in, or why it failed.
    const PageModel& result() const { return m_result; }
    const QString& error() const { return m_error; }

signals:
    void pagesReady();
    void finished();

private:
    void run();
    void pageLaidOut(const Page& page);
    void end(PageModel result, const QString& error);

    const ReportSnapshot m_snapshot;
    PageModel m_frame;
    std::atomic<bool> m_cancelled = false;
    std::mutex m_mutex;
    QList<Page> m_pending; // guarded by m_mutex
    std::thread m_worker;
    // Written on this object's thread when the worker's end arrives.
    bool m_finished = false;
    PageModel m_result;
    QString m_error;
};

} // namespace Qr
