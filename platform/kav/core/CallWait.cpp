#include "CallWait.h"

#include <QCoreApplication>
#include <QTimer>

#include <memory>
#include <utility>

namespace Kav {

namespace {

// Process-wide, as the user-interface thread is: a wait runs a modal loop on that thread, so a
// process has at most one wait showing a panel at a time, and the presenter is the visual
// library's way of drawing it, installed by the client context that is current and put back when
// that context ends (ClientContext). The wait is deep inside a remote call whose signature the
// screen's contract fixes, with no object between the two to carry a context.
CallWaitPresenter& presenter()
{
    static CallWaitPresenter current;
    return current;
}

// The innermost scope of the user-interface thread's stack: each CallAnswerHandling is an object
// of a command's frame, and the wait that consults it runs deeper on the same stack, so the
// scopes nest as the frames do, whatever client the command belongs to.
CallAnswerHandling*& innermostHandling()
{
    static CallAnswerHandling* current = nullptr;
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
    CallAnswerHandling* const handling = CallAnswerHandling::current();
    if (handling)
        handling->release();
    // The panel's "Cancelar" ends this wait while it lasts, and the answer's handling after it.
    auto cancelNow = std::make_shared<std::function<void()>>(cancel);
    // The panel is modal: the input it lets through is its own "Cancelar".
    std::unique_ptr<CallWaitView> panel = presenter()(doing, [cancelNow] { (*cancelNow)(); });
    runUnlessEnded(QEventLoop::AllEvents);
    if (handling) {
        *cancelNow = [handling] { handling->cancel(); };
        handling->keep(std::move(panel));
    }
}

CallAnswerHandling::CallAnswerHandling() : m_outer(std::exchange(innermostHandling(), this)) {}

CallAnswerHandling::~CallAnswerHandling()
{
    innermostHandling() = m_outer;
}

CallAnswerHandling* CallAnswerHandling::current()
{
    return innermostHandling();
}

void CallAnswerHandling::keep(std::unique_ptr<CallWaitView> panel)
{
    m_panel = std::move(panel);
}

bool CallAnswerHandling::answersProgress() const
{
    return m_cancelAsked || (m_panel && m_panel->shown());
}

bool CallAnswerHandling::keepResponding()
{
    if (!m_cancelAsked && m_panel && m_panel->shown())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    // The panel goes here, not in its own click: the cancel is heard at the next step.
    if (m_cancelAsked || (m_panel && !m_panel->shown()))
        m_panel.reset();
    m_stopped = m_cancelAsked;
    return !m_stopped;
}

} // namespace Kav
