#pragma once
// How the text of a report element looks: size, weight, slant, alignment and colour.

#include <QColor>
#include <QString>

namespace Qr {

struct ElementStyle
{
    enum class Align { Left, Center, Right };

    double fontSize = 0; // points; 0 takes the report's font size
    bool bold = false;
    bool italic = false;
    Align align = Align::Left;
    QColor color = Qt::black;

    static QString alignName(Align align);
    // False for an unknown name.
    static bool alignFromName(const QString& name, Align* align);

    bool operator==(const ElementStyle&) const = default;
};

} // namespace Qr
