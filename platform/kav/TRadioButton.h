#pragma once
// One choice of a group of exclusive options; OnClick fires when it becomes the checked one,
// by a click or by code, and not again while it stays checked.

#include <QRadioButton>

class TRadioButton : public QRadioButton
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnClick OnEnter OnExit OnKeyDown OnKeyPress")
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
public:
    explicit TRadioButton(QWidget* parent = nullptr);
};
