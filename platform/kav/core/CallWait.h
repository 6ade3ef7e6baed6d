#pragma once
// How the user-interface thread waits for the application server. The window goes on painting
// and the busy indicator turning; a call that answers at once passes unseen, and past a moment
// a modal panel says what is being done and offers "Cancelar", which ends the wait. The panel
// is drawn by the visual library (a presenter set here); without one the wait takes none of the
// user's input and cannot be cancelled.

#include <QString>

#include <functional>
#include <memory>

class QEventLoop;

namespace Kav {

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
// the user asks to stop waiting.
using CallWaitPresenter =
    std::function<std::unique_ptr<CallWaitView>(const QString& doing, const std::function<void()>& cancel)>;
void setCallWaitPresenter(CallWaitPresenter presenter);

// Runs `loop` until it quits, as told above; `cancel` must quit it.
void waitForCall(QEventLoop& loop, const QString& doing, const std::function<void()>& cancel);

} // namespace Kav
