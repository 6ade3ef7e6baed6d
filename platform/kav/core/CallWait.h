#pragma once
// How the user-interface thread waits for the application server. The window goes on painting
// and the busy indicator turning; a call that answers at once passes unseen, and past a moment
// a modal panel says what is being done and offers "Cancelar", which ends the wait. The panel
// is drawn by the visual library (a presenter set here); without one the wait takes none of the
// user's input and cannot be cancelled.

#include <QEventLoop>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace Kav {

// A call that answers within this time shows no panel (no flicker on every lookup).
constexpr int kCallPanelAfterMs = 400;

// What a remote call does, in the user's words: `doing` for the panel ("Preparando o
// relatório"), `action` for messages ("preparar o relatório").
struct CallActivity
{
    QString doing;
    QString action;
};

class CallWaitView
{
public:
    virtual ~CallWaitView() = default;
    // False once the panel stepped aside for another window of the client.
    virtual bool shown() const { return true; }
};

// Shows the panel for `doing` until the returned view is destroyed; `cancel` is called when
// the user asks to stop waiting. Returns the presenter it replaces, for the setter to put back.
using CallWaitPresenter =
    std::function<std::unique_ptr<CallWaitView>(const QString& doing, const std::function<void()>& cancel)>;
CallWaitPresenter setCallWaitPresenter(CallWaitPresenter presenter);

// One wait for a call, as told above, until end() is called by whatever the call waits for
// (its answer, a drop, the timeout, the user's cancel). The wait runs the event loop in two
// stretches, before and after the panel's moment; an end that comes in the same pass of the
// loop as that moment (a thread scheduled late sees both at once) still ends the wait.
class CallWait : public QObject
{
public:
    void end();
    // Returns at once when already ended; `cancel` must end the wait.
    void wait(const QString& doing, const std::function<void()>& cancel);

private:
    // Runs the loop with `flags` unless the wait has ended; false when it has.
    bool runUnlessEnded(QEventLoop::ProcessEventsFlags flags);

    QEventLoop m_loop;
    bool m_ended = false;
};

// The handling of a call's answer in the user's sight: a command that reads and lays out what
// the server prepared keeps the call's panel up meanwhile, counting, with "Cancelar" heard,
// instead of a frozen window. Made before the call, for the command's span; the panel of the
// last call that showed one stays after its answer until this scope ends, another window of the
// client opens (the preview, a file or message dialog) or the user cancels. The work calls
// keepResponding() between its steps.
class CallAnswerHandling
{
public:
    CallAnswerHandling();
    ~CallAnswerHandling();
    CallAnswerHandling(const CallAnswerHandling&) = delete;
    CallAnswerHandling& operator=(const CallAnswerHandling&) = delete;

    // The innermost scope alive, or null.
    static CallAnswerHandling* current();

    // Whether the work's progress goes to the kept panel (else to a window of its own).
    bool answersProgress() const;
    // Lets the kept panel count and take its "Cancelar"; false once the user cancelled, when
    // the panel is gone.
    bool keepResponding();
    // Whether the work was told to stop (a cancel the work never heard does not count).
    bool cancelled() const { return m_stopped; }

    // For the call wait: the panel of a call that answered, and the user's cancel of it.
    void keep(std::unique_ptr<CallWaitView> panel);
    void cancel() { m_cancelAsked = true; }
    // A new call shows a panel of its own.
    void release() { m_panel.reset(); }

private:
    std::unique_ptr<CallWaitView> m_panel;
    CallAnswerHandling* m_outer;
    bool m_cancelAsked = false;
    bool m_stopped = false;
};

} // namespace Kav
