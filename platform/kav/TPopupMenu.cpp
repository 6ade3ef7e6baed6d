#include "TPopupMenu.h"

#include "ControlEvents.h"

TPopupMenu::TPopupMenu(QWidget* parent) : QMenu(parent)
{
    connect(this, &QMenu::aboutToShow, this, [this] { Kav::fireNotify(this, "OnPopup"); });
}
