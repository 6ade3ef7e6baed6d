#include "TabOrderChain.h"

#include "LayoutLoader.h"
#include "WidgetProperties.h"

#include <algorithm>
#include <QRadioButton>
#include <QWidget>

namespace Frm {

namespace {

bool isLayoutControl(const QWidget* w)
{
    return !w->isWindow() && w->property(Kav::LayoutLoader::layoutClassProperty).isValid();
}

// Children with a layout tab position first, by position; the rest keep creation order after
// them, as a control added without one goes to the end of its parent's tab list. Only controls
// the layout made: the inner parts of a compound control belong to it.
QList<QWidget*> inTabOrder(QWidget* parent)
{
    QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    children.removeIf([](QWidget* w) { return !isLayoutControl(w); });
    std::stable_sort(children.begin(), children.end(), [](const QWidget* a, const QWidget* b) {
        const int ta = Kav::layoutTabOrder(a);
        const int tb = Kav::layoutTabOrder(b);
        if ((ta < 0) != (tb < 0))
            return tb < 0;
        return ta < tb;
    });
    return children;
}

void collect(QWidget* parent, QList<QWidget*>& chain)
{
    for (QWidget* child : inTabOrder(parent)) {
        chain.append(child);
        collect(child, chain);
    }
}

bool isTabStop(const QWidget* w, const QWidget* form)
{
    if (!w->isEnabled() || !w->isVisibleTo(form))
        return false;
    // Of a group of options, the checked one stands for the group (Qt's own Tab focus follows
    // the option that last had the focus instead).
    if (const auto* option = qobject_cast<const QRadioButton*>(w))
        return option->isChecked() && option->focusPolicy() != Qt::NoFocus && Kav::layoutTabStop(option);
    return w->focusPolicy() & Qt::TabFocus;
}

} // namespace

QList<QWidget*> tabChain(QWidget* form)
{
    QList<QWidget*> chain;
    collect(form, chain);
    return chain;
}

QWidget* nextTabStop(QWidget* form, QWidget* from, bool forward)
{
    const QList<QWidget*> chain = tabChain(form);
    if (chain.isEmpty())
        return nullptr;
    qsizetype at = -1;
    for (QWidget* w = from; w && w != form && at < 0; w = w->parentWidget())
        at = chain.indexOf(w);
    const qsizetype size = chain.size();
    const qsizetype step = forward ? 1 : size - 1;
    qsizetype i = at < 0 ? (forward ? size - 1 : 0) : at;
    for (qsizetype n = 0; n < size; ++n) {
        i = (i + step) % size;
        if (isTabStop(chain.at(i), form))
            return chain.at(i);
    }
    return nullptr;
}

} // namespace Frm
