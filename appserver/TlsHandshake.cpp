#include "TlsHandshake.h"

#include <QSslSocket>
#include <unistd.h>

namespace KavServer {

TlsHandshake::TlsHandshake(qintptr descriptor, const QSslConfiguration& tls, QObject* parent)
    : QObject(parent), m_socket(new QSslSocket(this))
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, &TlsHandshake::fail);
    connect(m_socket, &QSslSocket::encrypted, this, [this] {
        if (m_done)
            return;
        m_done = true;
        m_timeout.stop();
        QSslSocket* socket = m_socket;
        socket->disconnect(this);
        socket->setParent(nullptr);
        emit finished(this, socket);
    });
    connect(m_socket, &QSslSocket::errorOccurred, this, &TlsHandshake::fail);
    connect(m_socket, &QSslSocket::disconnected, this, &TlsHandshake::fail);
    m_socket->setSslConfiguration(tls);
    if (!m_socket->setSocketDescriptor(descriptor)) {
        ::close(int(descriptor));
        QMetaObject::invokeMethod(this, &TlsHandshake::fail, Qt::QueuedConnection);
        return;
    }
    m_timeout.start();
    m_socket->startServerEncryption();
}

void TlsHandshake::abort()
{
    fail();
}

void TlsHandshake::fail()
{
    if (m_done)
        return;
    m_done = true;
    m_timeout.stop();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    emit finished(this, nullptr);
}

} // namespace KavServer
