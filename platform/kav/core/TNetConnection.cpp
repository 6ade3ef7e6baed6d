#include "TNetConnection.h"

#include "CallWait.h"
#include "ClientCoreContext.h"
#include "Events.h"
#include "KavException.h"
#include "RpcError.h"
#include "RpcLineBuffer.h"
#include "RpcRequest.h"

#include <QEventLoop>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>
#include <sys/socket.h>

namespace {

// Answers can carry whole data packets; they are not held to the server's request cap.
constexpr qsizetype kAnswerLineCap = 256 * 1024 * 1024;
constexpr int kMsPerSecond = 1000;

// While a call or a connect is waiting, timers and painting go on (the busy indicator animates)
// but the user's keys and clicks wait: the screen takes no other input.
constexpr QEventLoop::ProcessEventsFlags kWaitFlags = QEventLoop::ExcludeUserInputEvents;

// A server that accepts but does not answer (a stopped process: its kernel still completes the
// TCP handshake) is passed over for the next one after this long.
constexpr int kAliveProbeMs = 3000;

// A connection made by code, not by a layout, is given no context: kavcall's, a test's.
Kav::ServerAccess currentAccess()
{
    const Kav::ClientCoreContext* context = Kav::ClientCoreContext::currentOrNull();
    return context ? context->serverAccess() : Kav::ServerAccess{};
}

} // namespace

TNetConnection::TNetConnection(QObject* parent) : TNetConnection(currentAccess(), parent) {}

TNetConnection::TNetConnection(const Kav::ClientCoreContext& context, QObject* parent)
    : TNetConnection(context.serverAccess(), parent)
{}

TNetConnection::TNetConnection(const Kav::ServerAccess& access, QObject* parent)
    : QObject(parent), m_socket(new QSslSocket(this)),
      m_buffer(std::make_unique<Kav::Rpc::RpcLineBuffer>(kAnswerLineCap))
{
    m_accessToken = access.token;
    m_trustedCertificate = access.trustedCertificate;
    m_callTimeoutMs = access.callTimeoutMs;
    connect(m_socket, &QSslSocket::readyRead, this, &TNetConnection::readAnswers);
}

TNetConnection::~TNetConnection() = default;

bool TNetConnection::Connected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState &&
           (m_trustedCertificate.isEmpty() || m_socket->isEncrypted());
}

void TNetConnection::setConnected(bool connected)
{
    if (!connected) {
        m_socket->disconnectFromHost();
        m_socket->abort();
        return;
    }
    if (Connected())
        return;
    if (!connectNow() && m_throwException)
        throw Kav::Exception(m_lastError);
}

QString TNetConnection::address() const
{
    return m_server.toString();
}

void TNetConnection::fail(const QString& message)
{
    m_lastError = message;
    throw Kav::Exception(message);
}

bool TNetConnection::connectNow()
{
    // The handler may set the host and the port: they are read only afterwards.
    Kav::fireEvent(this, "OnBeforeConnect", Q_ARG(QObject*, this));
    const std::optional<Kav::ServerList> servers = Kav::ServerList::parse(m_host, m_port);
    if (!servers) {
        m_socket->abort();
        m_lastError = QStringLiteral("Servidor de aplicação não configurado (endereço \"%1:%2\").")
                          .arg(m_host)
                          .arg(m_port);
        return false;
    }
    // With one server there is no other to move on to: its answer is waited for as any call's.
    const bool probe = servers->addresses().size() > 1;
    m_lastError = servers->connectFirst([this, probe](const Kav::ServerAddress& server) {
        m_server = server;
        return connectToServer(probe) ? QString() : m_lastError;
    });
    return m_lastError.isEmpty();
}

bool TNetConnection::connectToServer(bool probe)
{
    m_socket->abort();
    m_buffer = std::make_unique<Kav::Rpc::RpcLineBuffer>(kAnswerLineCap);
    m_answers.clear();

    const bool tls = !m_trustedCertificate.isEmpty();
    if (tls && !startTls())
        return false;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (tls)
        connect(m_socket, &QSslSocket::encrypted, &loop, &QEventLoop::quit);
    else
        connect(m_socket, &QSslSocket::connected, &loop, &QEventLoop::quit);
    connect(m_socket, &QSslSocket::errorOccurred, &loop, &QEventLoop::quit);
    if (tls)
        m_socket->connectToHostEncrypted(m_server.host, quint16(m_server.port));
    else
        m_socket->connectToHost(m_server.host, quint16(m_server.port));
    if (!Connected() && m_socket->state() != QAbstractSocket::UnconnectedState) {
        timer.start(m_connectTimeoutMs);
        loop.exec(kWaitFlags);
    }
    if (Connected()) {
        if (!checkAlive(probe))
            return false;
        m_lastError.clear();
        return true;
    }
    const QString reason =
        timer.isActive() ? m_socket->errorString()
                         : QStringLiteral("sem resposta em %1 s").arg(m_connectTimeoutMs / kMsPerSecond);
    m_socket->abort();
    m_lastError = QStringLiteral("Não foi possível conectar ao servidor de aplicação em %1: %2.")
                      .arg(address(), reason);
    return false;
}

bool TNetConnection::startTls()
{
    const QList<QSslCertificate> trusted = QSslCertificate::fromPath(m_trustedCertificate, QSsl::Pem);
    if (trusted.isEmpty()) {
        m_lastError = QStringLiteral("Certificado do servidor de aplicação ilegível ou ausente: %1.")
                          .arg(m_trustedCertificate);
        return false;
    }
    // Only this server (or the authority that signed its certificate) is trusted.
    QSslConfiguration configuration = m_socket->sslConfiguration();
    configuration.setCaCertificates(trusted);
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    m_socket->setSslConfiguration(configuration);
    return true;
}

bool TNetConnection::checkAlive(bool probe)
{
    // The first call proves the server serves: the access token where one is needed, else the
    // list of its objects.
    if (m_accessToken.isEmpty() && !probe)
        return true;
    Kav::Rpc::RpcRequest request;
    request.id = double(++m_nextId);
    request.object = QStringLiteral("rpc");
    request.method = m_accessToken.isEmpty() ? QStringLiteral("objects") : QStringLiteral("auth");
    if (!m_accessToken.isEmpty())
        request.args = {m_accessToken};
    m_socket->write(request.toLine());
    m_refusalCode = 0;
    QString reason;
    try {
        const Kav::Rpc::RpcResponse response = waitForAnswer(
            m_nextId,
            {QStringLiteral("Conectando ao servidor de aplicação"), QStringLiteral("verificar o acesso")},
            kAliveProbeMs);
        if (!response.isError())
            return true;
        reason = response.errorMessage;
        m_refusalCode = response.errorCode;
    } catch (const Kav::SilentAbort&) {
        throw;
    } catch (const Kav::Exception& error) {
        m_lastError = QStringLiteral("Não foi possível conectar ao servidor de aplicação em %1: %2")
                          .arg(address(), error.message());
        return false;
    }
    dropConnection();
    m_lastError = QStringLiteral("O servidor de aplicação em %1 recusou o acesso: %2").arg(address(), reason);
    return false;
}

void TNetConnection::dropConnection()
{
    // Reset, not closed: a server still running a call of this connection learns at once that
    // nobody waits for its answer, and keeps nothing of it.
    const qintptr descriptor = m_socket->socketDescriptor();
    if (descriptor >= 0) {
        const linger reset{1, 0};
        ::setsockopt(int(descriptor), SOL_SOCKET, SO_LINGER, &reset, sizeof(reset));
    }
    m_socket->abort();
}

void TNetConnection::ensureConnected()
{
    // A server that closed the connection since the last call is noticed only when the socket is
    // looked at; a zero wait lets it report the close before we write into a dead connection.
    if (Connected() && m_socket->bytesAvailable() == 0)
        m_socket->waitForReadyRead(0);
    if (Connected())
        return;
    if (!connectNow())
        fail(m_lastError);
}

void TNetConnection::readAnswers()
{
    m_buffer->append(m_socket->readAll());
    bool arrived = false;
    while (const std::optional<QByteArray> line = m_buffer->takeLine()) {
        try {
            Kav::Rpc::RpcResponse response = Kav::Rpc::RpcResponse::parse(*line);
            if (response.id.isDouble()) {
                m_answers.insert(qint64(response.id.toDouble()), response);
                arrived = true;
            }
        } catch (const Kav::Rpc::RpcError&) {
            // A line that is no answer cannot be matched to a call; the call times out instead.
        }
    }
    if (arrived)
        emit answerArrived();
}

Kav::Rpc::RpcResponse TNetConnection::waitForAnswer(qint64 id, const Kav::CallActivity& activity,
                                                    int timeoutMs)
{
    QPointer<TNetConnection> self(this);
    Kav::CallWait wait;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    bool timedOut = false;
    bool cancelled = false;
    connect(&timer, &QTimer::timeout, &wait, [&] {
        timedOut = true;
        wait.end();
    });
    connect(this, &TNetConnection::answerArrived, &wait, [&] {
        if (m_answers.contains(id))
            wait.end();
    });
    connect(m_socket, &QSslSocket::disconnected, &wait, &Kav::CallWait::end);
    connect(m_socket, &QSslSocket::errorOccurred, &wait, &Kav::CallWait::end);
    connect(this, &QObject::destroyed, &wait, &Kav::CallWait::end);
    if (!m_answers.contains(id) && Connected()) {
        timer.start(timeoutMs > 0 ? timeoutMs : m_callTimeoutMs);
        wait.wait(activity.doing, [&] {
            cancelled = true;
            wait.end();
        });
    }
    if (!self)
        throw Kav::Exception(
            QStringLiteral("A conexão com o servidor de aplicação foi fechada durante a chamada para %1.")
                .arg(activity.action));
    if (!m_answers.contains(id) && m_socket->bytesAvailable() > 0)
        readAnswers();
    if (m_answers.contains(id))
        return m_answers.take(id);
    // No answer will come for this call any more (or none is awaited): start afresh on the next.
    dropConnection();
    if (cancelled) {
        m_lastError = QStringLiteral("Espera cancelada pelo usuário.");
        throw Kav::SilentAbort(m_lastError); // the user's own choice needs no message
    }
    if (timedOut)
        fail(QStringLiteral("O servidor de aplicação (%1) não respondeu ao %2 em %3 s. Tente novamente em "
                            "instantes; se persistir, avise o suporte.")
                 .arg(address(), activity.action)
                 .arg((timeoutMs > 0 ? timeoutMs : m_callTimeoutMs) / kMsPerSecond));
    fail(QStringLiteral("A conexão com o servidor de aplicação (%1) caiu durante a chamada para %2.")
             .arg(address(), activity.action));
}

QVariant TNetConnection::call(const QString& method, const QList<Kav::RemoteArg>& args,
                              const Kav::CallActivity& given)
{
    // Messages speak of what the user asked for, never of the method's name.
    const Kav::CallActivity activity =
        given.action.isEmpty() ? Kav::CallActivity{QStringLiteral("Aguardando o servidor de aplicação"),
                                                   QStringLiteral("atender o pedido")}
                               : given;
    ensureConnected();

    Kav::Rpc::RpcRequest request;
    request.id = double(++m_nextId);
    request.object = m_serverName;
    request.method = method;
    for (int i = 0; i < args.size(); ++i) {
        request.args.append(args[i].value());
        if (args[i].isByRef())
            request.byRef.append(i);
    }
    m_socket->write(request.toLine());

    const Kav::Rpc::RpcResponse response = waitForAnswer(m_nextId, activity);
    if (response.isError()) {
        m_lastError = response.errorMessage;
        throw Kav::Rpc::RpcError(response.errorCode, response.errorMessage);
    }
    for (auto it = response.refs.cbegin(); it != response.refs.cend(); ++it)
        if (it.key() < args.size())
            args[it.key()].writeBack(it.value());
    m_lastError.clear();
    return response.value;
}
