#include "CallWaitPanel.h"

#include "WindowTitleRoom.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Kav {

namespace {
// The label shows whole seconds; a tick of a quarter second keeps it at most that late, where a
// tick of one second (and a coarse timer firing a little early) could leave "(0 s)" for two.
constexpr int kTickMs = 250;
constexpr int kMsPerSecond = 1000;
} // namespace

CallWaitPanel::CallWaitPanel(QWidget* parent, const QString& doing, std::function<void()> cancel)
    : QDialog(parent), m_doing(doing), m_cancel(std::move(cancel)), m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("CallWaitPanel"));
    setWindowTitle(QStringLiteral("Aguarde"));
    WindowTitleRoom::keepTitleWhole(*this);
    setWindowModality(Qt::ApplicationModal);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    buttons->button(QDialogButtonBox::Cancel)
        ->setToolTip(QStringLiteral("Parar de esperar pelo servidor (Esc)"));
    connect(buttons, &QDialogButtonBox::rejected, this, &CallWaitPanel::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(buttons);
    m_elapsed.start();
    connect(&m_clock, &QTimer::timeout, this, &CallWaitPanel::showElapsed);
    m_clock.setTimerType(Qt::PreciseTimer);
    m_clock.start(kTickMs);
    showElapsed();
    show();
    qApp->installEventFilter(this);
}

CallWaitPanel::~CallWaitPanel() = default;

std::unique_ptr<CallWaitView> CallWaitPanel::present(const QString& doing,
                                                     const std::function<void()>& cancel)
{
    return std::make_unique<CallWaitPanel>(QApplication::activeWindow(), doing, cancel);
}

QString CallWaitPanel::text() const
{
    return m_label->text();
}

bool CallWaitPanel::shown() const
{
    return isVisible();
}

bool CallWaitPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched != this) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const Qt::WindowType type = widget ? widget->windowType() : Qt::Widget;
        if (type == Qt::Window || type == Qt::Dialog)
            hide();
    }
    return false;
}

void CallWaitPanel::showElapsed()
{
    m_label->setText(QStringLiteral("%1… (%2 s)").arg(m_doing).arg(m_elapsed.elapsed() / kMsPerSecond));
}

void CallWaitPanel::reject()
{
    // The panel goes when the wait ends, not before.
    if (m_cancel)
        m_cancel();
}

} // namespace Kav
