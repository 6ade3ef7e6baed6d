// Waiting for a server that does not answer: the panel says what is being done, "Cancelar"
// ends the wait at once without a message, and the call is never sent again.
#include "CallWaitPanel.h"
#include "ClientContext.h"
#include "GuiDialogService.h"
#include "KavException.h"
#include "TNetConnection.h"

#include <QApplication>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {
const Kav::CallActivity kPreparo{QStringLiteral("Preparando o relatório"),
                                 QStringLiteral("preparar o relatório")};
constexpr int kLongTimeoutMs = 600000;
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
};

QTEST_MAIN(TstCallWait)
#include "tst_callwait.moc"
