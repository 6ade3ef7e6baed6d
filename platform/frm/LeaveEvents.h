#pragma once
// Fires the OnExit and OnEnter events of a form's controls as the focus moves between them.
//
// A control is left only when the focus goes to another control of the same form: a message
// box, a dialog or another window taking the focus leaves nothing, and the focus coming back
// from one enters nothing. A container (a group box) is left when the focus goes to a control
// outside it. When a leave handler moves the focus itself (back to the control to fix), that
// move fires no events of its own. While the form closes nothing is left or entered: closing
// never validates.

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace Frm {

class LeaveEvents : public QObject
{
    Q_OBJECT
public:
    // `closing` tells whether the form is closing or closed.
    LeaveEvents(QWidget* form, std::function<bool()> closing);

private:
    void focusChanged(QWidget* old, QWidget* now);
    bool belongsToForm(const QWidget* widget) const;

    QWidget* m_form;
    std::function<bool()> m_closing;
    bool m_dispatching = false;
};

} // namespace Frm
