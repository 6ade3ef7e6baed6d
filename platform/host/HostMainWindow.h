#pragma once
// kavhost's main window: the MDI area the screens open in, and the menu that opens them by
// loading their packages. It fits the screen it opens on, can be resized down to small screens
// (the area scrolls to a screen larger than itself) and opens the next time at the size and
// place the user left it.

#include "PackageLoader.h"
#include "ScriptHost.h"

#include <QMainWindow>

namespace Kav {
class ClientContext;
}
class QMdiArea;
class QMdiSubWindow;

namespace Kav::Host {

struct ModuleEntry;
class HostMainWindow : public QMainWindow, public ScriptHost
{
    Q_OBJECT
public:
    // Packages are looked up in `packageDir`; `status` is shown in the status bar.
    // The forms of the packages it opens are placed in its MDI area, which it gives `context`.
    HostMainWindow(Kav::ClientContext& context, const QString& packageDir, const QString& status,
                   QWidget* parent = nullptr);

    QMdiArea* mdiArea() const { return m_mdiArea; }

    // The size the window opens at the first time on a screen with `available` room (the
    // desktop's panels left out): its preferred size, less where the screen is smaller.
    static QSize initialSize(const QSize& available);

    void openPackage(const QString& package) override;
    QWidget* activeForm() const override;
    QList<QWidget*> openForms() const override;
    void closeActiveForm() override;

protected:
    // Closes every form first, as closing each window would; a form that refuses keeps the
    // host open.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void restoreSize();
    void tileAtOwnSize();
    QMdiSubWindow* currentSubWindow() const;

    QMdiArea* m_mdiArea;
    PackageLoader m_loader;
};

} // namespace Kav::Host
