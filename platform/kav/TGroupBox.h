#pragma once
// A captioned frame grouping controls; its OnExit fires when the focus leaves it for a control
// outside it.

#include <QGroupBox>

class TGroupBox : public QGroupBox
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnEnter OnExit OnClick")
    Q_PROPERTY(QString Caption READ title WRITE setTitle)
public:
    explicit TGroupBox(QWidget* parent = nullptr);
};
