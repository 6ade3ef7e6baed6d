#include "ElementStyle.h"

namespace Qr {

QString ElementStyle::alignName(Align align)
{
    switch (align) {
    case Align::Left:
        return QStringLiteral("left");
    case Align::Center:
        return QStringLiteral("center");
    case Align::Right:
        return QStringLiteral("right");
    }
    return {};
}

bool ElementStyle::alignFromName(const QString& name, Align* align)
{
    for (Align candidate : {Align::Left, Align::Center, Align::Right}) {
        if (name == alignName(candidate)) {
            *align = candidate;
            return true;
        }
    }
    return false;
}

} // namespace Qr
