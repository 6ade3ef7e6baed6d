// The host's main window as a user sees it: the product's name and icon, a status bar whose
// text stays after the menus were used, and side-by-side windows kept at their own size.
#include "HostIdentity.h"
#include "HostMainWindow.h"
#include "TestClientContext.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QtTest>

using namespace Kav::Host;

class TstHostMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Opens within the screen the first time, and the next time at the size the user left.
    void windowFitsTheScreenAndKeepsItsSize_data()
    {
        QTest::addColumn<QSize>("leftAt");
        QTest::addRow("smaller than the screen") << QSize(717, 483);
        QTest::addRow("taller than wide") << QSize(500, 540);
    }
    void windowFitsTheScreenAndKeepsItsSize()
    {
        QFETCH(QSize, leftAt);
        QSettings().remove(QStringLiteral("MainWindow/Geometry"));
        TestClientContext context;
        const QSize available = QGuiApplication::primaryScreen()->availableSize();
        {
            HostMainWindow first(context.context(), QString(), QString());
            QVERIFY(first.width() <= available.width() && first.height() <= available.height());
            first.show();
            QVERIFY(QTest::qWaitForWindowExposed(&first));
            first.resize(leftAt);
            QTRY_COMPARE(first.size(), leftAt);
            QVERIFY(first.close());
        }
        HostMainWindow second(context.context(), QString(), QString());
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        QCOMPARE(second.size(), leftAt);
    }

    void windowCarriesTheProductsNameAndIcon()
    {
        TestClientContext context;
        HostMainWindow window(context.context(), QString(), QStringLiteral("Filial 0010"));
        QCOMPARE(window.windowTitle(), HostIdentity::productName());
        QVERIFY(!window.windowTitle().contains(QStringLiteral("kavhost")));
        QVERIFY(!window.windowIcon().isNull());
        QVERIFY(window.windowIcon().availableSizes().contains(QSize(16, 16)));
    }

    void statusTextStaysAfterTheMenusWereUsed()
    {
        TestClientContext context;
        HostMainWindow window(context.context(), QString(),
                              QStringLiteral("Filial 0010 · servidor 127.0.0.1:8211"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* label = window.findChild<QLabel*>(QStringLiteral("lblStatus"));
        QVERIFY(label);
        // What hovering a menu item does: a status tip, then an empty one as the menu closes.
        QStatusTipEvent tip(QStringLiteral("Sair do programa"));
        QApplication::sendEvent(&window, &tip);
        QStatusTipEvent none{QString()};
        QApplication::sendEvent(&window, &none);
        QTRY_VERIFY(label->isVisible());
        QCOMPARE(label->text(), QStringLiteral("Filial 0010 · servidor 127.0.0.1:8211"));
    }

    void sideBySideKeepsEachWindowsSize()
    {
        TestClientContext context;
        HostMainWindow window{context.context(), QString(), QString()};
        window.resize(1100, 760);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QList<QMdiSubWindow*> windows;
        for (int i = 0; i < 2; ++i) {
            auto* form = new QWidget;
            form->setFixedSize(490, 376);
            windows << window.mdiArea()->addSubWindow(form);
            windows.last()->show();
        }
        const QSize frame = windows.first()->size();
        QAction* tile = nullptr;
        for (QAction* action : window.findChildren<QAction*>())
            if (action->text() == QStringLiteral("&Lado a lado"))
                tile = action;
        QVERIFY(tile);
        tile->trigger();
        for (QMdiSubWindow* sub : windows)
            QCOMPARE(sub->size(), frame);
        QCOMPARE(windows[0]->pos(), QPoint(0, 0));
        QCOMPARE(windows[1]->pos(), QPoint(frame.width(), 0)); // beside, not over
    }
};

QTEST_MAIN(TstHostMainWindow)
#include "tst_hostmainwindow.moc"
