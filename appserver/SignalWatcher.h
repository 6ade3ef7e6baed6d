#pragma once
// Turns SIGTERM and SIGINT into a Qt signal delivered by the event loop, where stopping the
// server is safe (a signal handler itself may do almost nothing).

#include <QObject>

class QSocketNotifier;

namespace KavServer {

class SignalWatcher : public QObject
{
    Q_OBJECT
public:
    // One per process. Throws Kav::Exception when the handlers cannot be installed.
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void stopRequested(int signalNumber);

private:
    QSocketNotifier* m_notifier;
};

} // namespace KavServer
