#pragma once
// One command of a popup menu; created inside its menu, it appears there in layout order.

#include <QAction>

class TMenuItem : public QAction
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnClick")
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
    Q_PROPERTY(bool Checked READ isChecked WRITE setCheckedState)
    Q_PROPERTY(QString Hint READ statusTip WRITE setStatusTip)
public:
    explicit TMenuItem(QObject* parent = nullptr);

    void setCheckedState(bool checked);

    // Runs the command as choosing it in the menu does.
    Q_INVOKABLE void Click();
};
