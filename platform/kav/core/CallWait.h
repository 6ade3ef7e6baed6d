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

} // namespace Kav
