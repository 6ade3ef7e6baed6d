#include "TMenuItem.h"

#include "ControlEvents.h"
#include "Events.h"

#include <QMenu>

TMenuItem::TMenuItem(QObject* parent) : QAction(parent)
{
    if (auto* menu = qobject_cast<QMenu*>(parent))
        menu->addAction(this);
    connect(this, &QAction::triggered, this, [this] { Kav::runFromQt([this] { Click(); }); });
}

void TMenuItem::setCheckedState(bool checked)
{
    setCheckable(isCheckable() || checked);
    setChecked(checked);
}

void TMenuItem::Click()
{
    Kav::fireNotify(this, "OnClick");
    // Called by a handler, the click's error goes on to that handler.
    Kav::throwKeptError();
}
