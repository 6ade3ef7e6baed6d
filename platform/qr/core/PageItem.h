#pragma once
// One thing printed on a laid-out page (a text, a line, a box or a bar chart), placed in
// millimetres from the sheet's top left corner, with the band it came from.

#include "ElementStyle.h"
#include "ReportBand.h"

#include <memory>
#include <QList>
#include <QRectF>
#include <QString>
#include <QVariant>

namespace Qr {

struct ChartBar
{
    QString label;
    double value = 0; // 0 where there is none
    QString valueText;
    bool known = true; // false: no row of the bar has a value
};

// A value a chart's bars are compared with, drawn as a line across them.
struct ChartReference
{
    double value = 0;
    QString label; // "mín. 700", "máx. 900"
};

struct PageItem
{
    enum class Kind { Text, Line, Box, Chart };

    Kind kind = Kind::Text;
    QRectF rect;
    QString text;          // Text: what it shows; Chart: what a bar stands for when rows were averaged
    QVariant number;       // Text: the number it begins with as the data hold it (not rounded); null if none
    ElementStyle style;    // font size resolved (never 0)
    bool emphasis = false; // shown with emphasis (a value out of its range)
    QColor fill;
    double lineWidth = 0;
    int band = 0; // sequence number of the printed band, counted over the whole report
    BandKind bandKind = BandKind::Detail;
    std::shared_ptr<const QList<ChartBar>> bars; // Chart
    QList<ChartReference> references;            // Chart
};

} // namespace Qr
