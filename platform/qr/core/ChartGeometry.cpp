#include "ChartGeometry.h"

#include "ChartScale.h"

#include <algorithm>
#include <cmath>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>

namespace Qr {

namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;
constexpr double kPointsPerMetre = 72.0 / 0.0254;
// Without a GUI application (no fonts to measure with): an average character's width and a
// line's ascent and descent as shares of the font's size.
constexpr double kAverageCharWidth = 0.55;
constexpr double kAscentShare = 0.93;
constexpr double kDescentShare = 0.24;
// Share of each bar's slot the bar itself takes.
constexpr double kBarShare = 0.7;
// Room around a bar's label, as a share of its width.
constexpr double kLabelGap = 1.3;
// Between the bars' right end and the names of the reference lines.
constexpr double kReferenceGapMm = 1.0;

ChartGeometry::Text textAt(const QString& text, double left, double baseline,
                           const ChartGeometry::Metrics& metrics)
{
    return {text, QRectF(left, baseline - metrics.ascent, metrics.width(text), metrics.height())};
}

} // namespace

ChartGeometry::Metrics ChartGeometry::Metrics::of(const QString& family, const ElementStyle& style)
{
    Metrics metrics;
    const double size = style.fontSize;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        metrics.width = [size](const QString& text) {
            return text.size() * size * kAverageCharWidth * kMmPerPoint;
        };
        metrics.ascent = size * kAscentShare * kMmPerPoint;
        metrics.descent = size * kDescentShare * kMmPerPoint;
        return metrics;
    }
    // A device of 72 dots per inch: one point is one dot.
    QImage device(1, 1, QImage::Format_ARGB32);
    device.setDotsPerMeterX(qRound(kPointsPerMetre));
    device.setDotsPerMeterY(qRound(kPointsPerMetre));
    QFont font(family);
    font.setPointSizeF(size);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setStyleStrategy(QFont::PreferNoShaping);
    const QFontMetricsF fontMetrics(font, &device);
    metrics.width = [fontMetrics](const QString& text) {
        return fontMetrics.horizontalAdvance(text) * kMmPerPoint;
    };
    metrics.ascent = fontMetrics.ascent() * kMmPerPoint;
    metrics.descent = fontMetrics.descent() * kMmPerPoint;
    return metrics;
}

ChartGeometry::ChartGeometry(const PageItem& chart, const Metrics& metrics)
{
    double top = 0;
    for (const ChartBar& bar : *chart.bars)
        top = std::max(top, bar.value);
    double referenceWidth = 0;
    for (const ChartReference& reference : chart.references) {
        top = std::max(top, reference.value);
        referenceWidth = std::max(referenceWidth, metrics.width(reference.label) + kReferenceGapMm);
    }
    const ChartScale scale(top);
    double axisWidth = 0;
    for (const double value : scale.ticks())
        axisWidth = std::max(axisWidth, metrics.width(scale.label(value)));
    const double noteHeight = chart.text.isEmpty() ? 0 : metrics.height();
    plot = chart.rect.adjusted(axisWidth + 2 * TickMm, noteHeight + metrics.height(), -referenceWidth,
                               -metrics.height());
    if (!chart.text.isEmpty())
        note = textAt(chart.text, chart.rect.left(), chart.rect.top() + metrics.ascent, metrics);
    placeAxis(scale, metrics);
    placeBars(chart, scale, metrics);
    placeReferences(chart, scale, metrics);
}

void ChartGeometry::placeAxis(const ChartScale& scale, const Metrics& metrics)
{
    for (const double value : scale.ticks()) {
        const double y = plot.bottom() - value / scale.top() * plot.height();
        tickYs.append(y);
        const QString text = scale.label(value);
        axisLabels.append(textAt(text, plot.left() - TickMm * 1.5 - metrics.width(text),
                                 y + (metrics.ascent - metrics.descent) / 2, metrics));
    }
}

// Labels never cut: where they are wider than a bar's slot only every n-th is written; a value
// wider than its bar is left to the axis.
void ChartGeometry::placeBars(const PageItem& chart, const ChartScale& scale, const Metrics& metrics)
{
    const QList<ChartBar>& values = *chart.bars;
    if (values.isEmpty())
        return;
    const double slot = plot.width() / double(values.size());
    double widest = 0;
    for (const ChartBar& bar : values)
        widest = std::max(widest, metrics.width(bar.label));
    const int labelEvery = std::max(1, int(std::ceil(widest * kLabelGap / slot)));
    for (qsizetype i = 0; i < values.size(); ++i) {
        const ChartBar& value = values[i];
        const double height = std::max(value.value, 0.0) / scale.top() * plot.height();
        const double centre = plot.left() + slot * (double(i) + 0.5);
        Bar bar;
        bar.rect = QRectF(centre - slot * kBarShare / 2, plot.bottom() - height, slot * kBarShare, height);
        if (metrics.width(value.valueText) <= slot)
            bar.value = textAt(value.valueText, centre - metrics.width(value.valueText) / 2,
                               bar.rect.top() - metrics.descent, metrics);
        if (i % labelEvery == 0)
            bar.label = textAt(value.label, centre - metrics.width(value.label) / 2,
                               plot.bottom() + metrics.ascent, metrics);
        bars.append(bar);
    }
}

// Each name right of the bars at the height of its line; names that would touch move down.
void ChartGeometry::placeReferences(const PageItem& chart, const ChartScale& scale, const Metrics& metrics)
{
    for (const ChartReference& value : chart.references) {
        const double y = plot.bottom() - std::max(value.value, 0.0) / scale.top() * plot.height();
        references.append({y, textAt(value.label, plot.right() + kReferenceGapMm,
                                     y + (metrics.ascent - metrics.descent) / 2, metrics)});
    }
    std::sort(references.begin(), references.end(),
              [](const Reference& a, const Reference& b) { return a.y < b.y; });
    for (qsizetype i = 1; i < references.size(); ++i) {
        QRectF& name = references[i].name.rect;
        const double above = references[i - 1].name.rect.bottom();
        if (name.top() < above)
            name.moveTop(above);
    }
}

} // namespace Qr
