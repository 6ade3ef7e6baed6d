#pragma once
// One element of a report band: a fixed text, a column of the query, an expression, a line, a
// box or a bar chart of the band's rows. Positions are millimetres from the band's top left.

#include "ElementStyle.h"
#include "Expression.h"

#include <QRectF>
#include <QString>

namespace Qr {

struct ReportElement
{
    enum class Kind { Text, Field, Expression, Line, Box, Chart };

    Kind kind = Kind::Text;
    QRectF rect;
    ElementStyle style;

    QString text;             // Text: what it shows
    Qr::Expression value;     // Field (a column), Expression: what it shows; Chart: the bar heights
    QString format;           // ValueFormatter pattern of the value
    Qr::Expression printWhen; // empty: always printed
    Qr::Expression emphasis;  // true: shown bold in the emphasis colour (a value out of its range)
    bool wrap = false;        // Field, Expression: lines as wide as the element, the band grows

    Qr::Expression label; // Chart: the text under each bar
    QString labelFormat;  // Chart: pattern of the label
    // Chart: a dashed line across the bars at each bound that is not null (a reference range).
    Qr::Expression referenceMin;
    Qr::Expression referenceMax;
    QColor fill;          // Box, Chart: fill colour (invalid: none for a box)
    double lineWidth = 0; // Line, Box: pen width in mm; 0 the thinnest

    static QString kindName(Kind kind);
};

} // namespace Qr
