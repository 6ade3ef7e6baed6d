#pragma once
// The table generated with a form's bindings as Qt Test data: one row per component the form's
// layouts declare, checked against the form the layouts built.

#include "LayoutComponent.h"
#include "LayoutLoader.h"

#include <QtTest>
#include <QWidget>

namespace GeneratedLayoutRows {

template <class Table> void addRows(const Table& table)
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("layoutClass");
    QTest::addColumn<QString>("parent"); // empty for the form itself
    QTest::addColumn<bool>("placed");
    QTest::addColumn<QRect>("geometry");
    for (const KavLayout::LayoutComponent& component : table) {
        QTest::newRow(component.name)
            << QString(component.name) << QString(component.layoutClass) << QString(component.parent)
            << component.placed << QRect(component.left, component.top, component.width, component.height);
    }
}

// The current row's component is in `form` once, of its layout class, inside its parent, and
// where the layout places it.
inline void checkRow(QWidget* form)
{
    QFETCH(QString, name);
    QFETCH(QString, layoutClass);
    QFETCH(QString, parent);
    QFETCH(bool, placed);
    QFETCH(QRect, geometry);
    const QList<QObject*> found = form->findChildren<QObject*>(name);
    QCOMPARE(found.size(), 1);
    QObject* component = found.first();
    QCOMPARE(Kav::LayoutLoader::layoutClassOf(component), layoutClass);
    QObject* container = component->parent();
    QVERIFY(container);
    if (parent.isEmpty())
        QCOMPARE(container, form);
    else
        QCOMPARE(container->objectName(), parent);
    if (placed) {
        auto* widget = qobject_cast<QWidget*>(component);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), geometry);
    }
}

} // namespace GeneratedLayoutRows
