#include "TRadioButton.h"

#include "ControlEvents.h"

TRadioButton::TRadioButton(QWidget* parent) : QRadioButton(parent)
{
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (checked)
            Kav::fireNotify(this, "OnClick");
    });
}
