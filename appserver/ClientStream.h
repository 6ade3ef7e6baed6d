#pragma once
// A client's byte stream as the server's connections see it, over plain TCP or TLS: read and
// written as a device, with word of when the client ended its input (it may still be reading
// answers: a half-closed connection) and when the stream closed for good.

#include <QIODevice>
#include <QString>

namespace KavServer {

class ClientStream : public QIODevice
{
    Q_OBJECT
public:
    using QIODevice::QIODevice;

    bool isSequential() const override { return true; }
    // "address:port" of the client, for the log.
    virtual QString peer() const = 0;
    // Answers can still reach the client.
    virtual bool canSend() const = 0;
    // Writes what is pending, then closes; closed() follows.
    virtual void closeAfterSending() = 0;
    // Closes at once, dropping what is pending; closed() follows.
    virtual void abortNow() = 0;
    // While off, nothing more is taken from the kernel: TCP slows the client. Where the stream
    // cannot stop reading, its read buffer's cap bounds what it takes.
    virtual void setReading(bool on) { Q_UNUSED(on); }
    // The client sent its last byte (inputEnded() was emitted).
    bool hasInputEnded() const { return m_inputEnded; }

signals:
    void inputEnded(); // the client sent its last byte; what it sent before may still be unread
    void closed();     // nothing more can be read or sent

protected:
    void endInput()
    {
        if (!m_inputEnded) {
            m_inputEnded = true;
            emit inputEnded();
        }
    }

private:
    bool m_inputEnded = false;
};

} // namespace KavServer
