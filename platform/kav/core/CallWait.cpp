#include "CallWait.h"

#include <QEventLoop>
#include <QTimer>

namespace Kav {

namespace {

// A call that answers within this time shows no panel (no flicker on every lookup).
constexpr int kPanelAfterMs = 400;

CallWaitPresenter& presenter()
{
    static CallWaitPresenter current;
    return current;
}

} // namespace

void setCallWaitPresenter(CallWaitPresenter newPresenter)
{
    presenter() = std::move(newPresenter);
}

void waitForCall(QEventLoop& loop, const QString& doing, const std::function<void()>& cancel)
{
    // Until the panel shows, the user's keys and clicks wait: the screen takes no other input.
    QTimer panelDue;
    panelDue.setSingleShot(true);
    bool panelTime = false;
    QObject::connect(&panelDue, &QTimer::timeout, &loop, [&] {
        panelTime = true;
        loop.quit();
    });
    panelDue.start(kPanelAfterMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!panelTime)
        return;
    if (!presenter()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        return;
    }
    // The panel is modal: the input it lets through is its own "Cancelar".
    const std::unique_ptr<CallWaitView> panel = presenter()(doing, cancel);
    loop.exec();
}

} // namespace Kav
