#pragma once
// Where the parts of a laid-out bar chart go on the sheet, in millimetres: the plot, each bar with
// its value above it and its label under it, the value axis with its ticks, and each reference
// line with its name in a margin right of the bars, so that a name never covers a bar. The
// painter draws from it; tests read it.

#include "PageItem.h"

#include <functional>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace Qr {

class ChartScale;

class ChartGeometry
{
public:
    // Length of an axis tick.
    static constexpr double TickMm = 1.0;

    // How wide a text is and how tall a line, in millimetres, in the chart's font.
    struct Metrics
    {
        std::function<double(const QString&)> width;
        double ascent = 0;
        double descent = 0;
        double height() const { return ascent + descent; }
        // The font of a chart measured on a device of 72 dots per inch, as the page layout measures.
        static Metrics of(const QString& family, const ElementStyle& style);
    };

    struct Text
    {
        QString text;
        QRectF rect; // the text's box: its left edge, from its ascent to its descent
    };

    struct Bar
    {
        QRectF rect;
        Text value; // empty text where it does not fit the bar's slot
        Text label; // empty text where only every n-th label is written
    };

    struct Reference
    {
        double y = 0; // where the line crosses the plot
        Text name;
    };

    ChartGeometry(const PageItem& chart, const Metrics& metrics);

    QRectF plot;
    Text note;
    QList<Text> axisLabels;
    QList<double> tickYs;
    QList<Bar> bars;
    QList<Reference> references;

private:
    void placeAxis(const ChartScale& scale, const Metrics& metrics);
    void placeBars(const PageItem& chart, const ChartScale& scale, const Metrics& metrics);
    void placeReferences(const PageItem& chart, const ChartScale& scale, const Metrics& metrics);
};

} // namespace Qr
