#include "HostMainWindow.h"

#include "ClientContext.h"
#include "Events.h"
#include "HostIdentity.h"
#include "ModuleTable.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

namespace Kav::Host {

namespace {
constexpr QSize kPreferredSize(1100, 760);
// Room the window manager's title bar and borders take around the window.
constexpr QSize kFrameAllowance(16, 40);
const QString kGeometrySetting = QStringLiteral("MainWindow/Geometry");

// A form is either the widget a plain sub-window frames, or the sub-window itself when the form
// class is one.
QWidget* formOf(QMdiSubWindow* window)
{
    const bool plainFrame = window->metaObject() == &QMdiSubWindow::staticMetaObject;
    return plainFrame && window->widget() ? window->widget() : window;
}
} // namespace

HostMainWindow::HostMainWindow(Kav::ClientContext& context, const QString& packageDir, const QString& status,
                               QWidget* parent)
    : QMainWindow(parent), m_mdiArea(new QMdiArea(this)), m_loader(context, packageDir)
{
    setObjectName(QStringLiteral("frmPrincipal"));
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(m_mdiArea);
    // MDI child forms the packages create open in this area.
    context.setMdiArea(m_mdiArea);
    setWindowTitle(HostIdentity::productName());
    setWindowIcon(HostIdentity::icon());
    // A screen larger than the area is scrolled to, not cut.
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A widget of the status bar, not a message: menus' status tips hide it only while shown.
    auto* statusLabel = new QLabel(status, this);
    statusLabel->setObjectName(QStringLiteral("lblStatus"));
    // A long status line is cut on a narrow window, it does not widen the window.
    statusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusLabel->setToolTip(status);
    statusBar()->addWidget(statusLabel, 1);
    buildMenus();
    restoreSize();
}

QSize HostMainWindow::initialSize(const QSize& available)
{
    return kPreferredSize.boundedTo(available - kFrameAllowance);
}

void HostMainWindow::restoreSize()
{
    // Qt keeps a restored window within the screen it is on now.
    if (restoreGeometry(QSettings().value(kGeometrySetting).toByteArray()))
        return;
    const QScreen* here = screen();
    resize(initialSize(here ? here->availableSize() : kPreferredSize + kFrameAllowance));
}

void HostMainWindow::buildMenus()
{
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    fileMenu->addAction(QStringLiteral("&Sair"), this, &QWidget::close);

    QHash<QString, QMenu*> menus;
    for (const ModuleEntry& entry : ModuleTable::entries()) {
        QMenu*& menu = menus[entry.menu];
        if (!menu)
            menu = menuBar()->addMenu(entry.menu);
        const QString package = entry.package;
        QAction* action = menu->addAction(entry.caption, this, [this, package] {
            Kav::runHandler([this, package] { openPackage(package); });
        });
        action->setObjectName(QStringLiteral("mnu") + package);
    }

    QMenu* windowMenu = menuBar()->addMenu(QStringLiteral("&Janela"));
    windowMenu->addAction(QStringLiteral("&Cascata"), m_mdiArea, &QMdiArea::cascadeSubWindows);
    windowMenu->addAction(QStringLiteral("&Lado a lado"), this, &HostMainWindow::tileAtOwnSize);
}

// Side by side, each window at its own size: the screens have a fixed size, and stretching
// their frames around them only shows empty space.
void HostMainWindow::tileAtOwnSize()
{
    const int width = m_mdiArea->viewport()->width();
    QPoint at(0, 0);
    int rowHeight = 0;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (window->isHidden())
            continue;
        window->showNormal();
        const QSize size = window->size();
        if (at.x() > 0 && at.x() + size.width() > width) {
            at = QPoint(0, at.y() + rowHeight);
            rowHeight = 0;
        }
        window->move(at);
        at.rx() += size.width();
        rowHeight = std::max(rowHeight, size.height());
    }
}

void HostMainWindow::openPackage(const QString& package)
{
    m_loader.callEntry(package, ModuleTable::kEntryName);
}

QMdiSubWindow* HostMainWindow::currentSubWindow() const
{
    if (QMdiSubWindow* current = m_mdiArea->currentSubWindow(); current && !current->isHidden())
        return current;
    const auto windows = m_mdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (!(*it)->isHidden())
            return *it;
    }
    return nullptr;
}

QWidget* HostMainWindow::activeForm() const
{
    QMdiSubWindow* window = currentSubWindow();
    return window ? formOf(window) : nullptr;
}

QList<QWidget*> HostMainWindow::openForms() const
{
    QList<QWidget*> forms;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (!window->isHidden())
            forms.append(formOf(window));
    }
    return forms;
}

void HostMainWindow::closeActiveForm()
{
    if (QMdiSubWindow* window = currentSubWindow())
        window->close();
}

void HostMainWindow::closeEvent(QCloseEvent* event)
{
    m_mdiArea->closeAllSubWindows();
    if (!openForms().isEmpty()) {
        event->ignore();
        return;
    }
    QSettings().setValue(kGeometrySetting, saveGeometry());
    event->accept();
}

} // namespace Kav::Host
