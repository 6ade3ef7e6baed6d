#pragma once
// A plain TCP client stream on a socket descriptor of its own. Unlike QTcpSocket, which closes
// the socket on the client's end of stream, it keeps the sending side open after a half-close
// (shutdown of the client's writing side), so the calls read before it are still answered.
// Reads stop while `readCap` bytes wait unread: the kernel then holds the client back.

#include "ClientStream.h"

#include <QByteArray>
#include <QSocketNotifier>

namespace KavServer {

class TcpClientStream : public ClientStream
{
    Q_OBJECT
public:
    // Takes ownership of the connected socket `descriptor`.
    TcpClientStream(qintptr descriptor, qsizetype readCap, QObject* parent = nullptr);
    ~TcpClientStream() override;

    QString peer() const override { return m_peer; }
    bool canSend() const override { return m_descriptor >= 0 && !m_closing; }
    void closeAfterSending() override;
    void abortNow() override;
    void setReading(bool on) override;

    qint64 bytesAvailable() const override { return m_in.size() + QIODevice::bytesAvailable(); }
    qint64 bytesToWrite() const override { return m_out.size(); }
    bool canReadLine() const override { return m_in.contains('\n') || QIODevice::canReadLine(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void receive();
    void flush();
    void updateReading();
    void shutDown();

    qintptr m_descriptor;
    qsizetype m_readCap;
    QString m_peer;
    QSocketNotifier m_readable;
    QSocketNotifier m_writable;
    QByteArray m_in;
    QByteArray m_out;
    bool m_closing = false;
    bool m_readingOn = true;
};

} // namespace KavServer
