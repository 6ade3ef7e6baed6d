#pragma once
// The panel shown while the application server takes its time: what is being done, for how
// long, and "Cancelar" (or Escape), which ends the wait. Modal, so the rest of the client takes
// no input meanwhile, while everything goes on painting. Kept after the answer while the
// answer is handled, it steps aside for the next window the client opens.

#include "CallWait.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>

class QLabel;

namespace Kav {

class CallWaitPanel : public QDialog, public CallWaitView
{
    Q_OBJECT
public:
    CallWaitPanel(QWidget* parent, const QString& doing, std::function<void()> cancel);
    ~CallWaitPanel() override;

    // The presenter the dialog service installs.
    static std::unique_ptr<CallWaitView> present(const QString& doing, const std::function<void()>& cancel);

    QString text() const;
    bool shown() const override;

protected:
    void reject() override;
    // Another window of the client opening takes the panel's place: it hides.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showElapsed();

    QString m_doing;
    std::function<void()> m_cancel;
    QLabel* m_label;
    QElapsedTimer m_elapsed;
    QTimer m_clock;
};

} // namespace Kav
