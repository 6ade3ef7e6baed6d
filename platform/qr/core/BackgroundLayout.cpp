#include "BackgroundLayout.h"

#include "KavException.h"
#include "ReportCancelled.h"

namespace Qr {

BackgroundLayout::BackgroundLayout(ReportSnapshot snapshot, QObject* parent)
    : QObject(parent), m_snapshot(std::move(snapshot))
{
    m_frame.title = m_snapshot.layout.title;
    m_frame.page = m_snapshot.layout.page;
    m_frame.fontFamily = m_snapshot.layout.fontFamily;
    m_frame.fontSize = m_snapshot.layout.fontSize;
}

BackgroundLayout::~BackgroundLayout()
{
    cancel();
    if (m_worker.joinable())
        m_worker.join();
}

void BackgroundLayout::start()
{
    if (!m_worker.joinable())
        m_worker = std::thread([this] { run(); });
}

void BackgroundLayout::cancel()
{
    m_cancelled = true;
}

QList<Page> BackgroundLayout::takePages()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_pending, {});
}

void BackgroundLayout::run()
{
    PageLayouter::Options options;
    options.now = m_snapshot.now;
    options.progress = [this](int, int) { return !m_cancelled; };
    options.pageLaidOut = [this](const Page& page) { pageLaidOut(page); };
    PageModel result;
    QString error;
    try {
        result = PageLayouter::layOut(m_snapshot.layout, m_snapshot.parts(), options);
    } catch (const ReportCancelled&) {
        return;
    } catch (const Kav::Exception& failure) {
        error = failure.message();
    } catch (const std::exception& failure) {
        error = QString::fromUtf8(failure.what());
    } catch (...) {
        // Nothing may leave the worker: an escaping exception would end the whole program.
        error = QStringLiteral("Falha inesperada ao montar as páginas.");
    }
    // Moved into the queued call: the worker keeps nothing the GUI thread reads afterwards.
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result), error]() mutable { end(std::move(result), error); },
        Qt::QueuedConnection);
}

void BackgroundLayout::pageLaidOut(const Page& page)
{
    bool first = false;
    {
        const std::lock_guard lock(m_mutex);
        first = m_pending.isEmpty();
        m_pending.append(page);
    }
    // One notice for the pages that pile up before the receiver takes them.
    if (first)
        QMetaObject::invokeMethod(this, &BackgroundLayout::pagesReady, Qt::QueuedConnection);
}

void BackgroundLayout::end(PageModel result, const QString& error)
{
    if (m_cancelled)
        return;
    m_result = std::move(result);
    m_error = error;
    m_finished = true;
    emit finished();
}

} // namespace Qr
