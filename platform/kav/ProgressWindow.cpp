#include "ProgressWindow.h"

#include <QGuiApplication>
#include <QProgressDialog>

namespace Kav {

namespace {
// Work shorter than this shows no window.
constexpr int kShowAfterMs = 700;
// Beside the title, the window manager draws the window's icon and three buttons.
constexpr int kTitleBarButtonsRoom = 120;
// Title bars are usually drawn in a bold font, wider than the window's own.
constexpr double kTitleFontWidening = 1.15;

// Wide enough for the whole title as the window manager shows it: the title, a dash and the
// application's name.
int widthForTitle(const QWidget& window)
{
    const QString shown =
        window.windowTitle() + QStringLiteral(" — ") + QGuiApplication::applicationDisplayName();
    return int(window.fontMetrics().horizontalAdvance(shown) * kTitleFontWidening) + kTitleBarButtonsRoom;
}
} // namespace

ProgressWindow::ProgressWindow(QWidget* parent, const QString& title) : m_parent(parent), m_title(title) {}

ProgressWindow::~ProgressWindow() = default;

bool ProgressWindow::show(const QString& step, int done, int total)
{
    if (!m_dialog) {
        m_dialog = std::make_unique<QProgressDialog>(step, QStringLiteral("Cancelar"), 0, total, m_parent);
        m_dialog->setWindowTitle(m_title);
        m_dialog->setMinimumWidth(widthForTitle(*m_dialog));
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(kShowAfterMs);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
    }
    m_dialog->setLabelText(step);
    m_dialog->setMaximum(total);
    m_dialog->setValue(done); // runs the event loop while the window is modal
    return !m_dialog->wasCanceled();
}

} // namespace Kav
