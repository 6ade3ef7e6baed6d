#pragma once
// A TLS client stream over a QSslSocket. TLS has no half-close in Qt: the client's end of
// stream closes the connection, so both inputEnded() and closed() follow it.

#include "ClientStream.h"

#include <QPointer>
#include <QSslSocket>

namespace KavServer {

class TlsClientStream : public ClientStream
{
    Q_OBJECT
public:
    // Takes ownership of the connected, encrypted `socket`.
    TlsClientStream(QSslSocket* socket, qsizetype readCap, QObject* parent = nullptr);

    QString peer() const override { return m_peer; }
    bool canSend() const override { return m_socket && m_socket->state() == QAbstractSocket::ConnectedState; }
    void closeAfterSending() override;
    void abortNow() override;

    qint64 bytesAvailable() const override { return m_socket ? m_socket->bytesAvailable() : 0; }
    qint64 bytesToWrite() const override { return m_socket ? m_socket->bytesToWrite() : 0; }
    bool canReadLine() const override { return m_socket && m_socket->canReadLine(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void onDisconnected();

    QPointer<QSslSocket> m_socket;
    QString m_peer;
    bool m_closed = false;
};

} // namespace KavServer
