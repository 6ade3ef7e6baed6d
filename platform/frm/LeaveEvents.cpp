#include "LeaveEvents.h"

#include "ControlEvents.h"

#include <QApplication>
#include <QWidget>

namespace Frm {

LeaveEvents::LeaveEvents(QWidget* form, std::function<bool()> closing)
    : QObject(form), m_form(form), m_closing(std::move(closing))
{
    connect(qApp, &QApplication::focusChanged, this, &LeaveEvents::focusChanged);
}

bool LeaveEvents::belongsToForm(const QWidget* widget) const
{
    return widget && (widget == m_form || m_form->isAncestorOf(widget));
}

void LeaveEvents::focusChanged(QWidget* old, QWidget* now)
{
    if (m_dispatching || !belongsToForm(old) || !belongsToForm(now) || old == now || m_closing())
        return;
    m_dispatching = true;
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_dispatching};

    // Left: the old control and each container of it that does not hold the new one, innermost
    // first. Entered: the containers of the new control not holding the old one, outermost
    // first, then the control.
    QList<QPointer<QWidget>> left;
    for (QWidget* w = old; w && w != m_form && !w->isAncestorOf(now); w = w->parentWidget())
        left.append(w);
    QList<QPointer<QWidget>> entered;
    for (QWidget* w = now; w && w != m_form && !w->isAncestorOf(old); w = w->parentWidget())
        entered.prepend(w);

    for (const QPointer<QWidget>& w : left) {
        if (w)
            Kav::fireNotify(w, "OnExit");
    }
    // A leave handler that kept the focus where it was (or moved it) cancels the entering.
    if (QApplication::focusWidget() != now)
        return;
    for (const QPointer<QWidget>& w : entered) {
        if (w)
            Kav::fireNotify(w, "OnEnter");
    }
}

} // namespace Frm
