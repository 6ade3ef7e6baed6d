#include "TCheckBox.h"

#include "ControlEvents.h"

TCheckBox::TCheckBox(QWidget* parent) : QCheckBox(parent)
{
    connect(this, &QAbstractButton::toggled, this, [this] { Kav::fireNotify(this, "OnClick"); });
}
