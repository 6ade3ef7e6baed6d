#pragma once
// The product's name and icon, as the host's windows show them (never the toolkit's logo).

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace Kav::Host {

class HostIdentity
{
public:
    static QString productName();
    // Drawn here, so that no image file has to travel with the program.
    static QIcon icon();
    // The icon's drawing at `side` pixels, for the desktop's menus (kavicon writes it at build).
    static QPixmap picture(int side);
};

} // namespace Kav::Host
