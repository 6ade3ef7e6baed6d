#include "TlsClientStream.h"

namespace KavServer {

TlsClientStream::TlsClientStream(QSslSocket* socket, qsizetype readCap, QObject* parent)
    : ClientStream(parent), m_socket(socket),
      m_peer(QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()))
{
    socket->setParent(this);
    // Unread bytes stay in the kernel, so a client that outpaces the server is slowed by TCP.
    socket->setReadBufferSize(readCap);
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    connect(socket, &QSslSocket::readyRead, this, &TlsClientStream::readyRead);
    connect(socket, &QSslSocket::bytesWritten, this, &TlsClientStream::bytesWritten);
    connect(socket, &QSslSocket::disconnected, this, &TlsClientStream::onDisconnected);
    if (socket->state() != QAbstractSocket::ConnectedState)
        QMetaObject::invokeMethod(this, &TlsClientStream::onDisconnected, Qt::QueuedConnection);
}

qint64 TlsClientStream::readData(char* data, qint64 maxSize)
{
    return m_socket ? m_socket->read(data, maxSize) : -1;
}

qint64 TlsClientStream::writeData(const char* data, qint64 size)
{
    return canSend() ? m_socket->write(data, size) : -1;
}

void TlsClientStream::closeAfterSending()
{
    if (canSend())
        m_socket->disconnectFromHost(); // writes what is pending first
    else
        onDisconnected();
}

void TlsClientStream::abortNow()
{
    if (m_socket)
        m_socket->abort();
    onDisconnected();
}

void TlsClientStream::onDisconnected()
{
    if (m_closed)
        return;
    m_closed = true;
    endInput();
    QIODevice::close();
    emit closed();
}

} // namespace KavServer
