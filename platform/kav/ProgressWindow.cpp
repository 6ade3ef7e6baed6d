#include "ProgressWindow.h"

#include "WindowTitleRoom.h"

#include <QProgressDialog>

namespace Kav {

namespace {
// Work shorter than this shows no window.
constexpr int kShowAfterMs = 700;
} // namespace

ProgressWindow::ProgressWindow(QWidget* parent, const QString& title) : m_parent(parent), m_title(title) {}

ProgressWindow::~ProgressWindow() = default;

bool ProgressWindow::show(const QString& step, int done, int total)
{
    if (!m_dialog) {
        m_dialog = std::make_unique<QProgressDialog>(step, QStringLiteral("Cancelar"), 0, total, m_parent);
        m_dialog->setWindowTitle(m_title);
        WindowTitleRoom::keepTitleWhole(*m_dialog);
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
