#include "TGroupBox.h"

TGroupBox::TGroupBox(QWidget* parent) : QGroupBox(parent) {}
