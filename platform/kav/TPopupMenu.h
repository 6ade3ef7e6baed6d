#pragma once
// A context menu of TMenuItem commands, shown over the control that names it as PopupMenu.

#include <QMenu>

class TPopupMenu : public QMenu
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnPopup")
public:
    explicit TPopupMenu(QWidget* parent = nullptr);
};
