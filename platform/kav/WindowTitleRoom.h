#pragma once
// Room for a window's whole title. The window manager writes the title in its title bar, in a
// bolder font than the window's, followed by a dash and the application's name, beside the
// window's icon and buttons: a dialog sized for its contents alone shows "Configurar pá…".

class QString;
class QWidget;

namespace Kav::WindowTitleRoom {

// The title as the window manager shows it: Qt adds the application's name unless the title
// already ends with it.
QString shownTitle(const QWidget& window);
// The width the title bar needs for the whole shown title.
int neededWidth(const QWidget& window);
// Makes `window` at least that wide; called once its title is set.
void keepTitleWhole(QWidget& window);
// The same for a dialog that fixes its size from its layout (message and input boxes), where a
// minimum width does not hold: a blank as wide as the title needs, under the contents.
void keepTitleWholeInLayout(QWidget& window);

} // namespace Kav::WindowTitleRoom
