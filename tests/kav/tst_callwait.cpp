// Waiting for a server that does not answer: the panel says what is being done, "Cancelar"
// ends the wait at once without a message, and the call is never sent again. Under the
// handling of an answer, the panel stays after it, counting, until the work on the answer is
// done, cancelled, or gives way to the next window.
#include "CallWaitPanel.h"
#include "ClientContext.h"
#include "GuiDialogService.h"
#include "KavException.h"
#include "TNetConnection.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtTest>

namespace {
const Kav::CallActivity kPreparo{QStringLiteral("Preparando o relatório"),
                                 QStringLiteral("preparar o relatório")};
constexpr int kLongTimeoutMs = 600000;
// The answer comes this long after the panel showed.
constexpr int kAnswerAfterPanelMs = 200;
// One step of work on the answer, holding the thread as a query or a page layout does.
constexpr int kWorkStepMs = 50;
// Long enough for the panel's seconds to move on.
constexpr int kLongWorkMs = 1600;

// Waits as for a call whose answer arrives after its panel showed.
void waitForLateAnswer()
{
    Kav::CallWait wait;
    QTimer::singleShot(Kav::kCallPanelAfterMs + kAnswerAfterPanelMs, &wait, &Kav::CallWait::end);
    wait.wait(kPreparo.doing, [&] { wait.end(); });
}

// Panels alive, shown or not, whatever window they belong to.
qsizetype panelsAlive()
{
    qsizetype count = 0;
    for (QWidget* widget : QApplication::allWidgets())
        count += qobject_cast<Kav::CallWaitPanel*>(widget) ? 1 : 0;
    return count;
}

Kav::CallWaitPanel* panelShown()
{
    auto* panel = qobject_cast<Kav::CallWaitPanel*>(QApplication::activeModalWidget());
    return panel && panel->isVisible() ? panel : nullptr;
}

// Works on the answer in steps for up to `ms`, telling `progress` after each; false when the
// progress said to stop.
bool workOnAnswer(const Kav::DialogService::Progress& progress, int ms)
{
    QElapsedTimer working;
    working.start();
    int step = 0;
    while (working.elapsed() < ms) {
        QThread::msleep(kWorkStepMs);
        if (!progress(QStringLiteral("Montando as páginas..."), ++step, 0))
            return false;
    }
    return true;
}
} // namespace

class TstCallWait : public QObject
{
    Q_OBJECT

    QTcpServer silentServer;
    QList<QTcpSocket*> clients;
    QByteArray received;
    // Shows the waits on the server in its panel.
    Kav::ClientContext context{std::make_unique<Kav::GuiDialogService>()};

private slots:
    void initTestCase()
    {
        QVERIFY(silentServer.listen(QHostAddress::LocalHost));
        connect(&silentServer, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* client = silentServer.nextPendingConnection();
            clients << client;
            connect(client, &QTcpSocket::readyRead, this, [this, client] { received += client->readAll(); });
        });
    }

    void cancelEndsTheWaitOfAHungServer()
    {
        TNetConnection connection;
        connection.setHost(QStringLiteral("127.0.0.1"));
        connection.setPort(silentServer.serverPort());
        connection.setCallTimeout(kLongTimeoutMs);
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QString panelText;
        bool windowPaintedMeanwhile = false;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            auto* panel = qobject_cast<Kav::CallWaitPanel*>(QApplication::activeModalWidget());
            if (!panel)
                return;
            probe.stop();
            panelText = panel->text();
            window.update(); // the window still repaints while the call waits
            QApplication::processEvents();
            windowPaintedMeanwhile = !window.grab().isNull();
            // The user presses "Cancelar".
            QTest::mouseClick(panel->findChild<QPushButton*>(), Qt::LeftButton);
        });
        probe.start(50);
        bool silent = false;
        try {
            connection.AppServer().call(QStringLiteral("CriaNutriCard"), {}, kPreparo);
        } catch (const Kav::SilentAbort&) {
            silent = true;
        }
        QVERIFY(silent);
        QVERIFY2(panelText.startsWith(QStringLiteral("Preparando o relatório")), qPrintable(panelText));
        QVERIFY(windowPaintedMeanwhile);
        QVERIFY(!QApplication::activeModalWidget()); // the panel went with the wait
        QVERIFY(!connection.Connected());            // a late answer cannot be taken for another's
        QTest::qWait(100);
        QCOMPARE(received.count("CriaNutriCard"), 1); // sent once, never again
    }

    // ---- the answer's handling

    void panelCountsOnWhileTheAnswerIsHandled()
    {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const Kav::CallAnswerHandling handling;
        waitForLateAnswer();
        QVERIFY2(panelShown(), "the panel went with the answer");
        const QString atAnswer = panelShown()->text();

        QVERIFY(workOnAnswer(context.dialogs().progress(&window, kPreparo.doing), kLongWorkMs));
        QVERIFY(panelShown());
        const QString afterWork = panelShown()->text();
        QVERIFY2(atAnswer.endsWith(QStringLiteral("(0 s)")), qPrintable(atAnswer));
        QVERIFY2(!afterWork.endsWith(QStringLiteral("(0 s)")), qPrintable(afterWork));
        QVERIFY(!window.findChild<QProgressDialog*>()); // no second window for the same wait
    }

    void cancelDuringTheAnswerStopsTheWork_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Cancelar clicked") << false;
        QTest::newRow("Escape pressed") << true;
    }

    void cancelDuringTheAnswerStopsTheWork()
    {
        QFETCH(bool, byKey);
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const Kav::CallAnswerHandling handling;
        waitForLateAnswer();
        QVERIFY(panelShown());
        // The user's press arrives while the thread works; it is heard at the next step.
        QTimer::singleShot(kWorkStepMs * 3, this, [byKey] {
            Kav::CallWaitPanel* panel = panelShown();
            if (!panel)
                return;
            if (byKey)
                QTest::keyClick(panel, Qt::Key_Escape);
            else
                QTest::mouseClick(panel->findChild<QPushButton*>(), Qt::LeftButton);
        });
        const Kav::DialogService::Progress progress = context.dialogs().progress(&window, kPreparo.doing);
        QElapsedTimer working;
        working.start();
        QVERIFY(!workOnAnswer(progress, kLongWorkMs));
        QVERIFY2(working.elapsed() < kLongWorkMs / 2, "the cancel was not heard at the next step");
        QVERIFY(handling.cancelled());
        QVERIFY(!QApplication::activeModalWidget());                       // the panel went with the cancel
        QVERIFY(!progress(QStringLiteral("Gerando as páginas..."), 1, 1)); // and the work stays stopped
    }

    void anotherWindowTakesThePanelsPlace()
    {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        {
            const Kav::CallAnswerHandling handling;
            waitForLateAnswer();
            QVERIFY(panelShown());
            QDialog preview(&window);
            preview.show();
            QVERIFY(!panelShown());
            QVERIFY(!handling.answersProgress());
            // The work's progress goes back to a window of its own, and is not cancelled.
            QVERIFY(context.dialogs().progress(&window, kPreparo.doing)(QStringLiteral("Gerando"), 1, 2));
            QVERIFY(!handling.cancelled());
        }
        QCOMPARE(panelsAlive(), 0);
    }

    void panelGoesWithTheAnswerOutsideAHandling()
    {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        waitForLateAnswer();
        QCOMPARE(panelsAlive(), 0);
        QVERIFY(!Kav::CallAnswerHandling::current());
    }

    void nextCallShowsItsOwnPanel()
    {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const Kav::CallAnswerHandling handling;
        waitForLateAnswer();
        waitForLateAnswer(); // the deletion of the prepared data after the output, say
        QCOMPARE(panelsAlive(), 1);
        QVERIFY(panelShown());
    }
};

QTEST_MAIN(TstCallWait)
#include "tst_callwait.moc"
