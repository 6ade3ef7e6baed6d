#include "ReportElement.h"

namespace Qr {

QString ReportElement::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Text:
        return QStringLiteral("text");
    case Kind::Field:
        return QStringLiteral("field");
    case Kind::Expression:
        return QStringLiteral("expression");
    case Kind::Line:
        return QStringLiteral("line");
    case Kind::Box:
        return QStringLiteral("box");
    case Kind::Chart:
        return QStringLiteral("chart");
    }
    return {};
}

} // namespace Qr
