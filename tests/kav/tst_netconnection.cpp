// The application-server connection against a scripted server: connecting on demand with
// OnBeforeConnect on every connect, typed and by-reference arguments, errors, the timeout, a drop,
// timers running while a call waits, an answer or a drop seen together with the wait panel's moment;
// and the result check of data-packet answers.

#include "CallWait.h"
#include "ClassRegistry.h"
#include "ClientCoreContext.h"
#include "ConsisteServ.h"
#include "Events.h"
#include "KavException.h"
#include "Registration.h"
#include "RpcError.h"
#include "RpcLineBuffer.h"
#include "RpcRequest.h"
#include "RpcResponse.h"
#include "TNetConnection.h"

#include <functional>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>

using Kav::Rpc::RpcRequest;
using Kav::Rpc::RpcResponse;

namespace {

// What the scripted server does with a request: send these answers (none: stay silent) after a
// delay, or close the connection. With `stallMs` the thread, which the client shares, then stalls
// as a loaded machine stalls a client's thread: when it runs again the answer or the close and the
// end of the call panel's delay are there together.
struct Reply
{
    QList<RpcResponse> answers;
    bool close = false;
    int delayMs = 0;
    int stallMs = 0;
};

class ScriptedServer : public QObject
{
public:
    std::function<Reply(const RpcRequest&)> script = [](const RpcRequest& request) {
        return Reply{{RpcResponse::success(request.id, QString("ok"))}, false, 0};
    };
    QList<QByteArray> lines;

    ScriptedServer()
    {
        m_listener.listen(QHostAddress::LocalHost, 0);
        connect(&m_listener, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
                auto buffer = std::make_shared<Kav::Rpc::RpcLineBuffer>();
                connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                    buffer->append(socket->readAll());
                    while (const auto line = buffer->takeLine())
                        handle(socket, *line);
                });
            }
        });
    }
    quint16 port() const { return m_listener.serverPort(); }
    void stop() { m_listener.close(); }

private:
    void handle(QTcpSocket* socket, const QByteArray& line)
    {
        lines << line;
        QJsonValue id;
        const RpcRequest request = RpcRequest::parse(line, id);
        const Reply reply = script(request);
        if (reply.close) {
            socket->abort();
            QThread::msleep(reply.stallMs);
            return;
        }
        QByteArray answer;
        for (const RpcResponse& response : reply.answers)
            answer += response.toLine();
        QTimer::singleShot(reply.delayMs, socket, [socket, answer, stallMs = reply.stallMs] {
            socket->write(answer);
            socket->flush();
            QThread::msleep(stallMs);
        });
    }

    QTcpServer m_listener;
};

class Form : public QObject
{
    Q_OBJECT
public:
    int connects = 0;
    quint16 port = 0;
    // As a screen does: the address is set just before connecting.
    Q_INVOKABLE void netNutriCardBeforeConnect(QObject* sender)
    {
        ++connects;
        sender->setProperty("Host", "127.0.0.1");
        sender->setProperty("Port", port);
    }
};

} // namespace

class TestNetConnection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void layoutsCreateItByClassName();
    void beforeConnectFiresOnEveryConnectAndSetsTheAddress();
    void failedConnectRaisesOnlyWhenAsked_data();
    void failedConnectRaisesOnlyWhenAsked();
    void callOnAClosedConnectionConnectsFirst();
    void argumentsTravelTypedAndByReference();
    void answersAreMatchedByTheirId();
    void serverErrorRaisesTheServersText();
    void callTimesOutWithAClearError();
    void dropDuringACallRaisesAndTheNextCallReconnects();
    void timersKeepRunningWhileACallWaits();
    void endOfACallTogetherWithThePanelsMomentEndsTheWait_data();
    void endOfACallTogetherWithThePanelsMomentEndsTheWait();
    void checkResultServ_data();
    void checkResultServ();

private:
    // Each test's own client: the connection's handler runs as its command.
    std::unique_ptr<Kav::ClientCoreContext> m_context;
    std::unique_ptr<ScriptedServer> m_server;
    std::unique_ptr<Form> m_form;
    std::unique_ptr<TNetConnection> m_connection;
};

void TestNetConnection::init()
{
    m_context = std::make_unique<Kav::ClientCoreContext>();
    m_server = std::make_unique<ScriptedServer>();
    m_form = std::make_unique<Form>();
    m_form->port = m_server->port();
    m_connection = std::make_unique<TNetConnection>();
    m_connection->setServerName("Zve41300.rdmNutriCard");
    m_connection->setThrowException(false);
    Kav::bindEvent(m_connection.get(), "OnBeforeConnect", m_form.get(), "netNutriCardBeforeConnect");
}

void TestNetConnection::cleanup()
{
    m_connection.reset();
    m_form.reset();
    m_server.reset();
    m_context.reset();
}

void TestNetConnection::layoutsCreateItByClassName()
{
    Kav::registerNetClasses();
    std::unique_ptr<QObject> created(
        Kav::ClassRegistry::instance().create("TNetConnection", nullptr, *m_context));
    auto* connection = qobject_cast<TNetConnection*>(created.get());
    QVERIFY(connection);
    QVERIFY(connection->setProperty("ServerName", "Zve41300.rdmNutriCard"));
    QVERIFY(connection->setProperty("ThrowException", false));
    QCOMPARE(connection->ServerName(), QString("Zve41300.rdmNutriCard"));
    QVERIFY(!connection->ThrowException());
    QVERIFY(!connection->property("Connected").toBool());

    // A layout's connection works for the client the layout is loaded for, even while another
    // client is current.
    Kav::ServerAccess own;
    own.token = QStringLiteral("cliente-um");
    m_context->setServerAccess(own);
    const Kav::ClientCoreContext later;
    std::unique_ptr<QObject> ofOwnClient(
        Kav::ClassRegistry::instance().create("TNetConnection", nullptr, *m_context));
    QCOMPARE(qobject_cast<TNetConnection*>(ofOwnClient.get())->AccessToken(), own.token);
}

void TestNetConnection::beforeConnectFiresOnEveryConnectAndSetsTheAddress()
{
    QVERIFY(m_connection->setProperty("Connected", true));
    QVERIFY(m_connection->Connected());
    QCOMPARE(m_form->connects, 1);
    QCOMPARE(m_connection->Port(), int(m_server->port()));
    m_connection->Open(); // already connected: no new connect
    QCOMPARE(m_form->connects, 1);
    m_connection->Close();
    QVERIFY(!m_connection->Connected());
    m_connection->Open();
    QVERIFY(m_connection->Connected());
    QCOMPARE(m_form->connects, 2);
}

void TestNetConnection::failedConnectRaisesOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("throwException");
    QTest::addRow("ThrowException off") << false;
    QTest::addRow("ThrowException on") << true;
}

void TestNetConnection::failedConnectRaisesOnlyWhenAsked()
{
    QFETCH(bool, throwException);
    const quint16 closedPort = m_server->port();
    m_server->stop();
    m_connection->setThrowException(throwException);
    const QString address = QStringLiteral("127.0.0.1:%1").arg(closedPort);
    bool raised = false;
    try {
        m_connection->Open();
    } catch (const Kav::Exception& error) {
        raised = true;
        QVERIFY(error.message().contains(address));
    }
    QCOMPARE(raised, throwException);
    QVERIFY(!m_connection->Connected());
    QVERIFY(m_connection->LastError().contains(address));
    // A call always raises, naming where it tried to go: the screen is never left dead silently.
    QVERIFY_THROWS_EXCEPTION(Kav::Exception, m_connection->AppServer().call("GetServico", {"0010", "1"}));
    QCOMPARE(m_form->connects, 2);
}

void TestNetConnection::callOnAClosedConnectionConnectsFirst()
{
    QVERIFY(!m_connection->Connected());
    QCOMPARE(m_connection->AppServer().call("GetServico", {"0010", "1"}), QVariant(QString("ok")));
    QCOMPARE(m_form->connects, 1);
    QVERIFY(m_connection->Connected());
}

void TestNetConnection::argumentsTravelTypedAndByReference()
{
    m_server->script = [](const RpcRequest& request) {
        QMap<int, QVariant> refs;
        for (const int position : request.byRef)
            refs.insert(position, request.args[position].toString() + "!");
        return Reply{
            {RpcResponse::success(request.id, QVariantList{QString("17"), QString("_001")}, refs)}, false, 0};
    };
    QString branch = "0011";
    QString nutrients = "001";
    QVariant untouched = "x";
    const QVariant answer = m_connection->AppServer().call(
        "CriaNutriCard", {"0010", Kav::RemoteArg::byRef(branch), Kav::RemoteArg::byRef(nutrients),
                          QDate(2026, 3, 2), QDateTime(QDate(2026, 3, 2), QTime(8, 0)), true, 5, untouched});
    QCOMPARE(answer.toList(), QVariantList({QString("17"), QString("_001")}));
    QCOMPARE(branch, QString("0011!"));
    QCOMPARE(nutrients, QString("001!"));
    QCOMPARE(untouched, QVariant("x"));

    QCOMPARE(m_server->lines.size(), 1);
    const QJsonObject sent = QJsonDocument::fromJson(m_server->lines[0]).object();
    QCOMPARE(sent["method"].toString(), QString("Zve41300.rdmNutriCard.CriaNutriCard"));
    const QJsonArray params = sent["params"].toArray();
    QCOMPARE(params[0].toString(), QString("0010"));
    QCOMPARE(params[1].toObject()["ref"].toString(), QString("0011"));
    QCOMPARE(params[3].toObject()["date"].toString(), QString("2026-03-02"));
    QVERIFY(params[4].toObject()["datetime"].toString().startsWith("2026-03-02T08:00:00"));
    QCOMPARE(params[5].toBool(), true);
    QCOMPARE(params[6].toInt(), 5);
}

void TestNetConnection::answersAreMatchedByTheirId()
{
    // An answer to some other call comes first; the call takes its own.
    m_server->script = [](const RpcRequest& request) {
        return Reply{{RpcResponse::success(request.id.toInt() + 1000, QString("stranger")),
                      RpcResponse::success(request.id, QString("mine"))},
                     false,
                     0};
    };
    QCOMPARE(m_connection->AppServer().call("GetServico", {"0010", "1"}), QVariant(QString("mine")));
    QCOMPARE(m_connection->AppServer().call("GetServico", {"0010", "1"}), QVariant(QString("mine")));
}

void TestNetConnection::serverErrorRaisesTheServersText()
{
    m_server->script = [](const RpcRequest& request) {
        return Reply{
            {RpcResponse::failure(request.id, Kav::Rpc::MethodNotFound, "no method Nada")}, false, 0};
    };
    try {
        m_connection->AppServer().call("Nada");
        QFAIL("no error");
    } catch (const Kav::Rpc::RpcError& error) {
        QCOMPARE(error.code(), int(Kav::Rpc::MethodNotFound));
        QCOMPARE(error.message(), QString("no method Nada"));
    }
    QVERIFY(m_connection->Connected()); // an error answer does not break the connection
}

void TestNetConnection::callTimesOutWithAClearError()
{
    m_server->script = [](const RpcRequest&) { return Reply{}; }; // never answers
    m_connection->setCallTimeout(300);
    QElapsedTimer timer;
    timer.start();
    try {
        m_connection->AppServer().call("CriaNutriCard", {},
                                       {"Preparando o relatório", "preparar o relatório"});
        QFAIL("no timeout");
    } catch (const Kav::Exception& error) {
        QVERIFY2(error.message().contains("não respondeu ao preparar o relatório"),
                 qPrintable(error.message()));
        QVERIFY(!error.message().contains("CriaNutriCard")); // the user's action, not the method
        QVERIFY(error.message().contains(QStringLiteral("127.0.0.1:%1").arg(m_server->port())));
    }
    QVERIFY(timer.elapsed() >= 300);
    m_server->script = [](const RpcRequest& request) {
        return Reply{{RpcResponse::success(request.id, 1)}, false, 0};
    };
    QCOMPARE(m_connection->AppServer().call("GetServico").toInt(), 1);
    QCOMPARE(m_form->connects, 2); // the timed-out connection was dropped and made anew
}

void TestNetConnection::dropDuringACallRaisesAndTheNextCallReconnects()
{
    m_server->script = [](const RpcRequest&) { return Reply{{}, true, 0}; };
    try {
        m_connection->AppServer().call("CriaNutriCard");
        QFAIL("no error");
    } catch (const Kav::Exception& error) {
        QVERIFY2(error.message().contains("caiu"), qPrintable(error.message()));
    }
    m_server->script = [](const RpcRequest& request) {
        return Reply{{RpcResponse::success(request.id, 2)}, false, 0};
    };
    QCOMPARE(m_connection->AppServer().call("GetServico").toInt(), 2);
    QCOMPARE(m_form->connects, 2);
}

void TestNetConnection::timersKeepRunningWhileACallWaits()
{
    m_server->script = [](const RpcRequest& request) {
        return Reply{{RpcResponse::success(request.id, QString("done"))}, false, 400};
    };
    int ticks = 0;
    QTimer animation; // as the busy indicator's frames
    animation.setInterval(20);
    connect(&animation, &QTimer::timeout, [&] { ++ticks; });
    animation.start();
    QCOMPARE(m_connection->AppServer().call("CriaNutriCard"), QVariant(QString("done")));
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
}

void TestNetConnection::endOfACallTogetherWithThePanelsMomentEndsTheWait_data()
{
    QTest::addColumn<bool>("close");
    QTest::newRow("answer") << false;
    QTest::newRow("drop") << true;
}

// Seen behind the balancer on a loaded machine: an answer (or a drop) that the client's thread
// saw in the same pass of its event loop as the panel's moment was lost, and the call waited out
// its whole timeout. Here the panel, if it shows, is cancelled at once, so that a lost end shows
// as a panel and a cancel instead of a minute's wait.
void TestNetConnection::endOfACallTogetherWithThePanelsMomentEndsTheWait()
{
    QFETCH(bool, close);
    constexpr int kPastThePanelMs = Kav::kCallPanelAfterMs + 200;
    m_server->script = [close](const RpcRequest& request) {
        return Reply{{RpcResponse::success(request.id, QString("done"))}, close, 0, kPastThePanelMs};
    };
    int panels = 0;
    Kav::setCallWaitPresenter([&panels](const QString&, const std::function<void()>& cancel) {
        ++panels;
        QTimer::singleShot(0, cancel);
        return std::make_unique<Kav::CallWaitView>();
    });
    const auto noPanel = qScopeGuard([] { Kav::setCallWaitPresenter({}); });
    QString outcome;
    try {
        outcome = m_connection->AppServer().call("CriaNutriCard").toString();
    } catch (const Kav::Exception& error) {
        outcome = error.message();
    }
    QCOMPARE(panels, 0);
    QVERIFY2(close ? outcome.contains("caiu") : outcome == "done", qPrintable(outcome));
}

void TestNetConnection::checkResultServ_data()
{
    Kav::DataPacket packet;
    packet.fields = {{"CDSERVFILI", Kav::FieldDef::Type::String, 5}};
    packet.rows = {{QString("00001")}};
    QTest::addColumn<QVariant>("result");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("error"); // empty: the packet comes back
    QTest::addRow("packet") << QVariant::fromValue(packet) << 0 << "";
    QTest::addRow("packet in an array") << QVariant(QVariantList{QVariant::fromValue(packet)}) << 0 << "";
    QTest::addRow("second element") << QVariant(QVariantList{QString("x"), QVariant::fromValue(packet)}) << 1
                                    << "";
    QTest::addRow("server's refusal")
        << QVariant(QString("Filial não cadastrada.")) << 0 << "Filial não cadastrada.";
    QTest::addRow("empty text") << QVariant(QString()) << 0 << "Resposta inesperada";
    QTest::addRow("nothing") << QVariant() << 0 << "Resposta inesperada";
    QTest::addRow("a number") << QVariant(5) << 0 << "Resposta inesperada";
    QTest::addRow("index past the array") << QVariant(QVariantList{}) << 0 << "sem o elemento 0";
}

void TestNetConnection::checkResultServ()
{
    QFETCH(QVariant, result);
    QFETCH(int, index);
    QFETCH(QString, error);
    if (error.isEmpty()) {
        QCOMPARE(Consiste::CheckResultServ(result, true, index).rows.value(0).value(0).toString(),
                 QString("00001"));
        return;
    }
    try {
        Consiste::CheckResultServ(result, true, index);
        QFAIL("no error");
    } catch (const Kav::Exception& raised) {
        QVERIFY2(raised.message().contains(error), qPrintable(raised.message()));
    }
    QCOMPARE(Consiste::CheckResultServ(result, false, index).rows.size(), 0);
}

QTEST_GUILESS_MAIN(TestNetConnection)
#include "tst_netconnection.moc"
