#pragma once
// A main window with an MDI area, shown, whose area the client context places its forms in, as
// kavhost's main window does.

#include "ClientContext.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QtTest>

class HostWindow : public QMainWindow
{
public:
    explicit HostWindow(Kav::ClientContext& context) : m_area(new QMdiArea)
    {
        setCentralWidget(m_area);
        resize(kWidth, kHeight);
        show();
        context.setMdiArea(m_area);
    }

    // True once the window is the active one, as a user's host window is.
    bool waitActive() { return QTest::qWaitForWindowActive(this); }
    QMdiArea* area() const { return m_area; }

private:
    static constexpr int kWidth = 1100;
    static constexpr int kHeight = 800;
    QMdiArea* m_area;
};
