#include "SocketListener.h"

#include "CallLog.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <QFile>
#include <sys/socket.h>
#include <unistd.h>

namespace KavServer {

namespace {

// Connections taken per wake-up: the rest wait for the next turn of the event loop, so a flood of
// connects cannot keep the server from answering the clients it has.
constexpr int kAcceptsPerTurn = 64;
// When the kernel's cap cannot be read.
constexpr int kFallbackBacklog = 4096;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool isOutOfResources(int error)
{
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

} // namespace

SocketListener::SocketListener(std::function<void(qintptr)> accept, QObject* parent)
    : QObject(parent), m_accept(std::move(accept))
{
    m_resumeTimer.setSingleShot(true);
    m_resumeTimer.setInterval(kOutOfDescriptorsPauseMs);
    connect(&m_resumeTimer, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
        acceptAll();
    });
}

SocketListener::~SocketListener()
{
    close();
}

int SocketListener::systemBacklog()
{
    static const int backlog = [] {
        QFile file(QStringLiteral("/proc/sys/net/core/somaxconn"));
        bool ok = false;
        const int value = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt(&ok) : 0;
        return ok && value > 0 ? value : kFallbackBacklog;
    }();
    return backlog;
}

bool SocketListener::listen(const QHostAddress& address, quint16 port)
{
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (v6) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof(bytes));
        length = sizeof(sockaddr_in6);
    } else {
        auto* in4 = reinterpret_cast<sockaddr_in*>(&storage);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(port);
        in4->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof(sockaddr_in);
    }
    m_descriptor = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_descriptor < 0) {
        m_error = systemError(errno);
        return false;
    }
    const int on = 1;
    ::setsockopt(m_descriptor, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    if (::bind(m_descriptor, reinterpret_cast<sockaddr*>(&storage), length) != 0 ||
        ::listen(m_descriptor, systemBacklog()) != 0) {
        m_error = systemError(errno);
        close();
        return false;
    }
    ::getsockname(m_descriptor, reinterpret_cast<sockaddr*>(&storage), &length);
    m_port = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                      : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
    m_notifier = std::make_unique<QSocketNotifier>(m_descriptor, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SocketListener::acceptAll);
    return true;
}

void SocketListener::close()
{
    m_resumeTimer.stop();
    m_notifier.reset();
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
}

void SocketListener::acceptAll()
{
    for (int i = 0; i < kAcceptsPerTurn && m_descriptor >= 0; ++i) {
        const int client = ::accept4(m_descriptor, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client >= 0) {
            if (m_outOfDescriptorsLogged)
                CallLog::write(QStringLiteral("kavserver: accepting connections again"));
            m_outOfDescriptorsLogged = false;
            m_accept(client);
            continue;
        }
        const int error = errno;
        if (isOutOfResources(error))
            pauseForDescriptors(error);
        // EAGAIN: none left; ECONNABORTED and the like: that client gave up, the next may not.
        if (error == EAGAIN || error == EWOULDBLOCK || isOutOfResources(error))
            return;
    }
}

void SocketListener::pauseForDescriptors(int error)
{
    if (!m_outOfDescriptorsLogged)
        CallLog::write(QStringLiteral("kavserver: cannot accept connections (%1); new clients wait until "
                                      "connections close (raise LimitNOFILE or lower Server/MaxConnections)")
                           .arg(systemError(error)));
    m_outOfDescriptorsLogged = true;
    if (m_notifier)
        m_notifier->setEnabled(false);
    m_resumeTimer.start();
}

} // namespace KavServer
