#pragma once
// The busy animation commands run under: shown over the main window by ActiveShowAvi, hidden by
// DeactiveShowAvi, preferably through a Guard so that every path out hides it.

class QWidget;
class BusyIndicator;

namespace Showavi {

// Animation kinds the screens ask for; this platform draws one spinner for all of them.
constexpr int kProcessando = 6;

// Shows the animation over `mainForm` (the active window when null). Calls nest: the animation
// stays until every activation was matched by a deactivation.
void ActiveShowAvi(QWidget* mainForm, int kind);
// Ends one activation; more deactivations than activations are ignored.
void DeactiveShowAvi();
bool IsActive();
// The overlay currently in use, if any (for tests and scripts).
BusyIndicator* Indicator();

class Guard
{
public:
    Guard(QWidget* mainForm, int kind) { ActiveShowAvi(mainForm, kind); }
    ~Guard() { DeactiveShowAvi(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};

} // namespace Showavi
