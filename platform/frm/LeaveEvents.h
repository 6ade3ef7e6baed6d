#pragma once
// Fires the OnExit and OnEnter events of a form's controls as the focus moves between them.
//
// A control is left only when the focus goes to another control of the same form: a message
// box, a dialog or another window taking the focus leaves nothing, and the focus coming back
// from one enters nothing. A container (a group box) is left when the focus goes to a control
// outside it. When a leave handler moves the focus itself (back to the control to fix), that
// move fires no events of its own.

#include <QObject>
#include <QPointer>

class QWidget;

namespace Frm {

class LeaveEvents : public QObject
{
    Q_OBJECT
public:
    explicit LeaveEvents(QWidget* form);

private:
    void focusChanged(QWidget* old, QWidget* now);
    bool belongsToForm(const QWidget* widget) const;

    QWidget* m_form;
    bool m_dispatching = false;
};

} // namespace Frm
