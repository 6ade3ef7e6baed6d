#pragma once
// Notices when the server's own event loop stood still (the process stopped with SIGSTOP, a paused
// machine, a storage stall) and marks the moment after it as settling. Whatever reached the
// server's sockets meanwhile arrives at once when it wakes: the request line, then the end of the
// client's input, read on separate passes. While settling, calls are not started and answers are
// not given, so that a client that ended its input during the stall (a balancer cutting a session
// it gave up on) is known as such before its calls run.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace KavServer {

class StallWatch : public QObject
{
    Q_OBJECT
public:
    // How often the loop is expected to turn; a gap longer than the stall threshold is a stall.
    static constexpr int kTickMs = 100;
    static constexpr int kStallMs = 1000;
    // How long after a stall what arrived during it is taken as having arrived during it.
    static constexpr int kSettleMs = 300;

    explicit StallWatch(QObject* parent = nullptr);

    // True while the loop is standing still beyond the threshold (as seen from a late event of
    // it) or for kSettleMs after such a stall was noticed.
    bool isSettling();
    // Milliseconds the last stall lasted; 0 before the first.
    qint64 lastStallMs() const { return m_lastStallMs; }

private:
    void notice();

    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_lastTurn = 0;
    qint64 m_settlingUntil = -1;
    qint64 m_lastStallMs = 0;
};

} // namespace KavServer
