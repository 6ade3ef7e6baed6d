#pragma once
// A yes/no option; OnClick fires whenever its checked state changes, by a click or by code.

#include <QCheckBox>

class TCheckBox : public QCheckBox
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnClick OnEnter OnExit OnKeyDown OnKeyPress")
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
public:
    explicit TCheckBox(QWidget* parent = nullptr);
};
