#include "CallWait.h"

#include <QTimer>
#include <utility>

namespace Kav {

namespace {

CallWaitPresenter& presenter()
{
    static CallWaitPresenter current;
    return current;
}

} // namespace

CallWaitPresenter setCallWaitPresenter(CallWaitPresenter newPresenter)
{
    return std::exchange(presenter(), std::move(newPresenter));
}

void CallWait::end()
{
    m_ended = true;
    m_loop.quit();
}

bool CallWait::runUnlessEnded(QEventLoop::ProcessEventsFlags flags)
{
    // exec() forgets a quit() made before it starts: the flag carries it.
    if (m_ended)
        return false;
    m_loop.exec(flags);
    return !m_ended;
}

void CallWait::wait(const QString& doing, const std::function<void()>& cancel)
{
    // Until the panel shows, the user's keys and clicks wait: the screen takes no other input.
    QTimer panelDue;
    panelDue.setSingleShot(true);
    QObject::connect(&panelDue, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    panelDue.start(kCallPanelAfterMs);
    if (!runUnlessEnded(QEventLoop::ExcludeUserInputEvents))
        return;
    if (!presenter()) {
        runUnlessEnded(QEventLoop::ExcludeUserInputEvents);
        return;
    }
    // The panel is modal: the input it lets through is its own "Cancelar".
    const std::unique_ptr<CallWaitView> panel = presenter()(doing, cancel);
    runUnlessEnded(QEventLoop::AllEvents);
}

} // namespace Kav
