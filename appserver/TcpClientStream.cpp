#include "TcpClientStream.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <QHostAddress>
#include <sys/socket.h>
#include <unistd.h>

namespace KavServer {

namespace {

// Bytes taken from the kernel at a time.
constexpr qsizetype kReadChunk = 64 * 1024;

QString peerOf(qintptr descriptor)
{
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    if (::getpeername(int(descriptor), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return QStringLiteral("?");
    const QHostAddress host(reinterpret_cast<const sockaddr*>(&address));
    const quint16 port = address.ss_family == AF_INET6
                             ? ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port)
                             : ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    return QStringLiteral("%1:%2").arg(host.toString()).arg(port);
}

bool wouldBlock()
{
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

} // namespace

TcpClientStream::TcpClientStream(qintptr descriptor, qsizetype readCap, QObject* parent)
    : ClientStream(parent), m_descriptor(descriptor), m_readCap(readCap), m_peer(peerOf(descriptor)),
      m_readable(descriptor, QSocketNotifier::Read), m_writable(descriptor, QSocketNotifier::Write)
{
    ::fcntl(int(descriptor), F_SETFL, ::fcntl(int(descriptor), F_GETFL) | O_NONBLOCK);
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    m_writable.setEnabled(false);
    connect(&m_readable, &QSocketNotifier::activated, this, &TcpClientStream::receive);
    connect(&m_writable, &QSocketNotifier::activated, this, &TcpClientStream::flush);
}

TcpClientStream::~TcpClientStream()
{
    m_readable.setEnabled(false);
    m_writable.setEnabled(false);
    if (m_descriptor >= 0)
        ::close(int(m_descriptor));
}

void TcpClientStream::receive()
{
    const qsizetype room = std::min(kReadChunk, m_readCap - m_in.size());
    if (room <= 0 || hasInputEnded())
        return updateReading();
    QByteArray chunk(room, Qt::Uninitialized);
    const ssize_t got = ::read(int(m_descriptor), chunk.data(), size_t(room));
    if (got < 0 && wouldBlock())
        return;
    if (got < 0)
        return abortNow(); // reset by the client
    if (got == 0) {
        m_readable.setEnabled(false);
        endInput();
        return;
    }
    m_in.append(chunk.constData(), got);
    updateReading();
    emit readyRead();
}

void TcpClientStream::updateReading()
{
    m_readable.setEnabled(m_descriptor >= 0 && m_readingOn && !hasInputEnded() && m_in.size() < m_readCap);
}

void TcpClientStream::setReading(bool on)
{
    if (m_readingOn == on)
        return;
    m_readingOn = on;
    updateReading();
}

qint64 TcpClientStream::readData(char* data, qint64 maxSize)
{
    const qint64 taken = std::min<qint64>(maxSize, m_in.size());
    std::copy_n(m_in.constData(), taken, data);
    m_in.remove(0, taken);
    updateReading();
    return taken;
}

qint64 TcpClientStream::writeData(const char* data, qint64 size)
{
    if (!canSend())
        return -1;
    m_out.append(data, size);
    flush();
    return size;
}

void TcpClientStream::flush()
{
    qint64 sent = 0;
    while (m_descriptor >= 0 && sent < m_out.size()) {
        const ssize_t wrote =
            ::send(int(m_descriptor), m_out.constData() + sent, size_t(m_out.size() - sent), MSG_NOSIGNAL);
        if (wrote < 0 && wouldBlock())
            break;
        if (wrote < 0)
            return abortNow(); // the client is gone
        sent += wrote;
    }
    m_out.remove(0, sent);
    m_writable.setEnabled(m_descriptor >= 0 && !m_out.isEmpty());
    if (sent > 0)
        emit bytesWritten(sent);
    if (m_closing && m_out.isEmpty())
        shutDown();
}

void TcpClientStream::closeAfterSending()
{
    m_closing = true;
    flush();
}

void TcpClientStream::abortNow()
{
    m_out.clear();
    shutDown();
}

void TcpClientStream::shutDown()
{
    if (m_descriptor < 0)
        return;
    m_readable.setEnabled(false);
    m_writable.setEnabled(false);
    ::close(int(m_descriptor));
    m_descriptor = -1;
    m_closing = true;
    QIODevice::close();
    emit closed();
}

} // namespace KavServer
