#include "Showavi.h"

#include "BusyIndicator.h"

#include <QApplication>
#include <QPointer>

namespace Showavi {

namespace {
struct State
{
    int depth = 0;
    QPointer<BusyIndicator> indicator;
};

State& state()
{
    static State current;
    return current;
}

// One overlay per window, created on first use and owned by the window.
BusyIndicator* indicatorFor(QWidget* window)
{
    if (!window)
        return nullptr;
    if (auto* existing = window->findChild<BusyIndicator*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new BusyIndicator(window);
}
} // namespace

void ActiveShowAvi(QWidget* mainForm, int kind)
{
    State& current = state();
    if (current.depth++ > 0)
        return;
    QWidget* window = mainForm ? mainForm : QApplication::activeWindow();
    current.indicator = indicatorFor(window);
    if (current.indicator)
        current.indicator->start(kind);
}

void DeactiveShowAvi()
{
    State& current = state();
    if (current.depth == 0)
        return;
    if (--current.depth > 0)
        return;
    if (current.indicator)
        current.indicator->stop();
    current.indicator.clear();
}

bool IsActive()
{
    return state().depth > 0;
}

BusyIndicator* Indicator()
{
    return state().indicator;
}

} // namespace Showavi
