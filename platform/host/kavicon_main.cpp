// kavicon: writes the host's icon as a PNG file, for the desktop entry of an installed copy.
// Run at build time: kavicon FILE SIDE.

#include "HostIdentity.h"

#include <cstdio>
#include <QGuiApplication>

using namespace Kav::Host;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kavicon FILE SIDE\n");
        return 2;
    }
    // No display is needed to draw into an image.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication app(argc, argv);
    const int side = QByteArray(argv[2]).toInt();
    if (side <= 0 || !HostIdentity::picture(side).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "kavicon: cannot write %s at %s pixels\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
