#include "TMenuItem.h"

#include "ControlEvents.h"

#include <QMenu>

TMenuItem::TMenuItem(QObject* parent) : QAction(parent)
{
    if (auto* menu = qobject_cast<QMenu*>(parent))
        menu->addAction(this);
    connect(this, &QAction::triggered, this, &TMenuItem::Click);
}

void TMenuItem::setCheckedState(bool checked)
{
    setCheckable(isCheckable() || checked);
    setChecked(checked);
}

void TMenuItem::Click()
{
    Kav::fireNotify(this, "OnClick");
}
