#pragma once
// The listening socket, kept by hand rather than through QTcpServer: every accepted connection is
// handed on at once as its bare descriptor, so nothing waits in a queue of pending connections
// that a burst of unfinished TLS handshakes could fill. The backlog is the system's own limit, so
// a burst of connects is not dropped by the kernel. When the process runs out of descriptors
// (EMFILE), accepting pauses briefly instead of spinning, and the log says so once.

#include <functional>
#include <memory>
#include <QHostAddress>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

namespace KavServer {

class SocketListener : public QObject
{
    Q_OBJECT
public:
    // How long accepting pauses when the process has no descriptor left.
    static constexpr int kOutOfDescriptorsPauseMs = 250;

    explicit SocketListener(std::function<void(qintptr)> accept, QObject* parent = nullptr);
    ~SocketListener() override;

    bool listen(const QHostAddress& address, quint16 port);
    void close();
    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }

    // The backlog asked of the kernel: its own cap (net.core.somaxconn), read once.
    static int systemBacklog();

private:
    void acceptAll();
    void pauseForDescriptors(int error);

    std::function<void(qintptr)> m_accept;
    int m_descriptor = -1;
    quint16 m_port = 0;
    QString m_error;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_resumeTimer;
    bool m_outOfDescriptorsLogged = false;
};

} // namespace KavServer
