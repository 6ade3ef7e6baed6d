#include "BusyIndicator.h"
#include "Showavi.h"

#include <QtTest>

#include <stdexcept>

class TstShowavi : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        while (Showavi::IsActive())
            Showavi::DeactiveShowAvi();
    }

    void guardHidesOnEveryPath_data()
    {
        QTest::addColumn<bool>("throws");
        QTest::addRow("normal return") << false;
        QTest::addRow("exception") << true;
    }
    void guardHidesOnEveryPath()
    {
        QFETCH(bool, throws);
        QWidget window;
        window.resize(400, 300);
        window.show();
        auto command = [&] {
            Showavi::Guard busy(&window, Showavi::kProcessando);
            QVERIFY(Showavi::Indicator() && Showavi::Indicator()->isVisible());
            if (throws)
                throw std::runtime_error("falhou");
        };
        bool caught = false;
        try {
            command();
        } catch (const std::runtime_error&) {
            caught = true;
        }
        QCOMPARE(caught, throws);
        QVERIFY(!Showavi::IsActive());
        auto* overlay = window.findChild<BusyIndicator*>();
        QVERIFY(overlay);
        QVERIFY(!overlay->isVisible());
        QVERIFY(!overlay->isRunning());
    }

    void nestedActivationsHideAtTheOutermost()
    {
        QWidget window;
        window.show();
        Showavi::ActiveShowAvi(&window, Showavi::kProcessando);
        Showavi::ActiveShowAvi(&window, 1);
        Showavi::DeactiveShowAvi();
        QVERIFY(Showavi::Indicator()->isVisible());
        QCOMPARE(Showavi::Indicator()->kind(), Showavi::kProcessando);
        Showavi::DeactiveShowAvi();
        QVERIFY(!Showavi::IsActive());
        QVERIFY(!window.findChild<BusyIndicator*>()->isVisible());
        // An unmatched deactivation must not leave a debt that swallows the next activation.
        Showavi::DeactiveShowAvi();
        Showavi::ActiveShowAvi(&window, Showavi::kProcessando);
        QVERIFY(Showavi::IsActive());
        QVERIFY(window.findChild<BusyIndicator*>()->isVisible());
        Showavi::DeactiveShowAvi();
    }

    void animatesWhileALocalEventLoopRuns()
    {
        QWidget window;
        window.resize(300, 200);
        window.show();
        Showavi::Guard busy(&window, Showavi::kProcessando);
        BusyIndicator* overlay = Showavi::Indicator();
        QCOMPARE(overlay->frame(), 0);
        // What a remote call does while it waits for its answer: a local loop that takes no input.
        QEventLoop waiting;
        QTimer::singleShot(400, &waiting, &QEventLoop::quit);
        waiting.exec(QEventLoop::ExcludeUserInputEvents);
        QVERIFY2(overlay->frame() >= 2, qPrintable(QString::number(overlay->frame())));
    }

    void coversTheWindowAndFollowsItsSize()
    {
        QWidget window;
        window.resize(300, 200);
        auto* button = new QWidget(&window);
        button->setGeometry(10, 10, 50, 20);
        window.show();
        Showavi::Guard busy(&window, Showavi::kProcessando);
        QCOMPARE(window.childAt(20, 15), Showavi::Indicator());
        window.resize(500, 400);
        QCOMPARE(Showavi::Indicator()->geometry(), window.rect());
    }

    void noWindowStillCounts()
    {
        Showavi::ActiveShowAvi(nullptr, Showavi::kProcessando);
        QVERIFY(Showavi::IsActive());
        Showavi::DeactiveShowAvi();
        QVERIFY(!Showavi::IsActive());
    }
};

QTEST_MAIN(TstShowavi)
#include "tst_showavi.moc"
