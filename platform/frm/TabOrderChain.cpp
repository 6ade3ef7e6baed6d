#include "TabOrderChain.h"

#include "LayoutLoader.h"
#include "WidgetProperties.h"

#include <QWidget>
#include <algorithm>

namespace Frm {

namespace {

bool isLayoutControl(const QWidget* w)
{
    return !w->isWindow() && w->property(Kav::LayoutLoader::layoutClassProperty).isValid();
}

// Only controls the layout made: the inner parts of a compound control follow it on their own.
// Children with a layout tab position first, by position; the rest keep creation order after
// them, as a control added without one goes to the end of its parent's tab list.
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

} // namespace

void applyTabOrder(QWidget* form)
{
    QList<QWidget*> chain;
    collect(form, chain);
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

} // namespace Frm
