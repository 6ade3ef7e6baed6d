#include "WindowTitleRoom.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QWidget>

namespace Kav::WindowTitleRoom {

namespace {
// Beside the title, the window manager draws the window's icon and three buttons.
constexpr int kTitleBarButtonsRoom = 120;
// Title bars are usually drawn in a bold font, wider than the window's own.
constexpr double kTitleFontWidening = 1.15;
const QString kNameSeparator = QStringLiteral(" — ");
} // namespace

QString shownTitle(const QWidget& window)
{
    const QString title = window.windowTitle();
    const QString application = QGuiApplication::applicationDisplayName();
    if (application.isEmpty() || title.endsWith(application))
        return title;
    return title.isEmpty() ? application : title + kNameSeparator + application;
}

int neededWidth(const QWidget& window)
{
    return int(window.fontMetrics().horizontalAdvance(shownTitle(window)) * kTitleFontWidening) +
           kTitleBarButtonsRoom;
}

void keepTitleWhole(QWidget& window)
{
    window.setMinimumWidth(std::max(window.minimumWidth(), neededWidth(window)));
}

void keepTitleWholeInLayout(QWidget& window)
{
    auto* blank = new QSpacerItem(neededWidth(window), 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    if (auto* grid = qobject_cast<QGridLayout*>(window.layout()))
        grid->addItem(blank, grid->rowCount(), 0, 1, grid->columnCount());
    else
        window.layout()->addItem(blank);
}

} // namespace Kav::WindowTitleRoom
