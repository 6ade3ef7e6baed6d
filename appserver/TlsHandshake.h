#pragma once
// A TLS handshake on an accepted socket, run on the connection itself and bounded in time: a
// client that connects and says nothing (a port scan, a TCP health check) is dropped after a few
// seconds and never holds up the listener or another client's handshake.

#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>

class QSslSocket;

namespace KavServer {

class TlsHandshake : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 5000;

    // Takes ownership of the connected socket `descriptor`.
    TlsHandshake(qintptr descriptor, const QSslConfiguration& tls, QObject* parent = nullptr);

    // Drops the connection (the server is stopping); finished() follows.
    void abort();

signals:
    // `socket` is encrypted and now the receiver's; nullptr when the handshake failed, timed out
    // or was aborted. The handshake is done either way and may be deleted.
    void finished(TlsHandshake* handshake, QSslSocket* socket);

private:
    void fail();

    QPointer<QSslSocket> m_socket;
    QTimer m_timeout;
    bool m_done = false;
};

} // namespace KavServer
