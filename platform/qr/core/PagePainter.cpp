#include "PagePainter.h"

#include "ChartScale.h"

#include <cmath>
#include <QPaintDevice>
#include <QPainter>

namespace Qr {

namespace {

constexpr double kPaintMmPerInch = 25.4;
const QColor kDefaultBarFill(0x4a, 0x7a, 0xb5);
// Share of each bar's slot the bar itself takes.
constexpr double kBarShare = 0.7;
// The thinnest pen still visible on paper.
constexpr double kHairlineMm = 0.1;
// Length of an axis tick.
constexpr double kTickMm = 1.0;
// A reference line: thicker than the axis, in a colour no bar has.
constexpr double kReferenceLineMm = 0.35;
const QColor kReferenceColor(0xc0, 0x39, 0x2b);
// Room around a bar's label, as a share of its width.
constexpr double kLabelGap = 1.3;

QRectF scaled(const QRectF& mm, double pixelsPerMm)
{
    return {mm.left() * pixelsPerMm, mm.top() * pixelsPerMm, mm.width() * pixelsPerMm,
            mm.height() * pixelsPerMm};
}

} // namespace

PagePainter::PagePainter(const PageModel& model) : m_model(model) {}

const QFont& PagePainter::font(const ElementStyle& style, double pointScale)
{
    const QString key =
        QStringLiteral("%1/%2/%3/%4").arg(style.fontSize).arg(style.bold).arg(style.italic).arg(pointScale);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end()) {
        QFont font(m_model.fontFamily);
        font.setPointSizeF(style.fontSize * pointScale);
        font.setBold(style.bold);
        font.setItalic(style.italic);
        // No ligatures: a PDF's text is searched and copied as written ("filiais", not "ﬁliais").
        font.setStyleStrategy(QFont::PreferNoShaping);
        it = m_fonts.insert(key, font);
    }
    return *it;
}

void PagePainter::paint(QPainter& painter, const Page& page, double pixelsPerMm)
{
    // Point sizes are relative to the device's resolution; this makes them true on paper at any
    // scale.
    const double pointScale = pixelsPerMm * kPaintMmPerInch / painter.device()->logicalDpiY();
    painter.save();
    for (const PageItem& item : page.items) {
        const QRectF rect = scaled(item.rect, pixelsPerMm);
        switch (item.kind) {
        case PageItem::Kind::Text:
            paintText(painter, item, rect, pointScale);
            break;
        case PageItem::Kind::Line:
        case PageItem::Kind::Box: {
            painter.setPen(QPen(item.style.color, std::max(item.lineWidth, kHairlineMm) * pixelsPerMm));
            painter.setBrush(item.kind == PageItem::Kind::Box && item.fill.isValid() ? QBrush(item.fill)
                                                                                     : Qt::NoBrush);
            if (item.kind == PageItem::Kind::Box)
                painter.drawRect(rect);
            else if (rect.width() >= rect.height())
                painter.drawLine(rect.topLeft(), rect.topRight());
            else
                painter.drawLine(rect.topLeft(), rect.bottomLeft());
            break;
        }
        case PageItem::Kind::Chart:
            paintChart(painter, item, rect, pixelsPerMm, pointScale);
            break;
        }
    }
    painter.restore();
}

void PagePainter::paintText(QPainter& painter, const PageItem& item, const QRectF& rect, double pointScale)
{
    if (item.text.isEmpty())
        return;
    const QFont& itemFont = font(item.style, pointScale);
    painter.setFont(itemFont);
    painter.setPen(item.style.color);
    // Placed by its measured width and the font's ascent: much cheaper than a laid-out text
    // rectangle, which counts on a report of a thousand pages.
    const QFontMetricsF metrics(itemFont, painter.device());
    const double width = metrics.horizontalAdvance(item.text);
    double x = rect.left();
    if (item.style.align == ElementStyle::Align::Right)
        x = rect.right() - width;
    else if (item.style.align == ElementStyle::Align::Center)
        x = rect.left() + (rect.width() - width) / 2;
    const double baseline = rect.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    if (width <= rect.width()) {
        painter.drawText(QPointF(x, baseline), item.text);
        return;
    }
    painter.save();
    painter.setClipRect(rect);
    painter.drawText(QPointF(x, baseline), item.text);
    painter.restore();
}

void PagePainter::paintChart(QPainter& painter, const PageItem& item, const QRectF& rect, double pixelsPerMm,
                             double pointScale)
{
    const QList<ChartBar>& bars = *item.bars;
    if (bars.isEmpty())
        return;
    double top = 0;
    for (const ChartBar& bar : bars)
        top = std::max(top, bar.value);
    for (const ChartReference& reference : item.references)
        top = std::max(top, reference.value);
    const ChartScale scale(top);
    const QFont& labelFont = font(item.style, pointScale);
    painter.setFont(labelFont);
    const QFontMetricsF metrics(labelFont, painter.device());
    const double textHeight = metrics.height();
    const double tick = kTickMm * pixelsPerMm;
    double axisWidth = 0;
    for (const double value : scale.ticks())
        axisWidth = std::max(axisWidth, metrics.horizontalAdvance(scale.label(value)));
    const double noteHeight = item.text.isEmpty() ? 0 : textHeight;
    const QRectF plot = rect.adjusted(axisWidth + 2 * tick, noteHeight + textHeight, 0, -textHeight);
    painter.setPen(QPen(item.style.color, kHairlineMm * pixelsPerMm));
    if (!item.text.isEmpty())
        painter.drawText(QPointF(rect.left(), rect.top() + metrics.ascent()), item.text);
    // The axis: a baseline, an upright line with ticks and their values.
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    for (const double value : scale.ticks()) {
        const double y = plot.bottom() - value / scale.top() * plot.height();
        painter.drawLine(QPointF(plot.left() - tick, y), QPointF(plot.left(), y));
        const QString text = scale.label(value);
        painter.drawText(QPointF(plot.left() - tick * 1.5 - metrics.horizontalAdvance(text),
                                 y + (metrics.ascent() - metrics.descent()) / 2),
                         text);
    }
    // Labels never cut: where they are wider than a bar's slot only every n-th is written.
    const double slot = plot.width() / double(bars.size());
    double widest = 0;
    for (const ChartBar& bar : bars)
        widest = std::max(widest, metrics.horizontalAdvance(bar.label));
    const int labelEvery = std::max(1, int(std::ceil(widest * kLabelGap / slot)));
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const ChartBar& bar = bars[i];
        const double height = std::max(bar.value, 0.0) / scale.top() * plot.height();
        const double centre = plot.left() + slot * (double(i) + 0.5);
        const QRectF barRect(centre - slot * kBarShare / 2, plot.bottom() - height, slot * kBarShare, height);
        painter.fillRect(barRect, item.fill.isValid() ? item.fill : kDefaultBarFill);
        const double valueWidth = metrics.horizontalAdvance(bar.valueText);
        if (valueWidth <= slot)
            painter.drawText(QPointF(centre - valueWidth / 2, barRect.top() - metrics.descent()),
                             bar.valueText);
        if (i % labelEvery == 0)
            painter.drawText(
                QPointF(centre - metrics.horizontalAdvance(bar.label) / 2, plot.bottom() + metrics.ascent()),
                bar.label);
    }
    paintReferences(painter, item.references, plot, scale, metrics, pixelsPerMm);
}

// Each reference as a dashed line over the bars, named at its right end above the line.
void PagePainter::paintReferences(QPainter& painter, const QList<ChartReference>& references,
                                  const QRectF& plot, const ChartScale& scale, const QFontMetricsF& metrics,
                                  double pixelsPerMm)
{
    painter.save();
    painter.setPen(QPen(kReferenceColor, kReferenceLineMm * pixelsPerMm, Qt::DashLine));
    for (const ChartReference& reference : references) {
        const double y = plot.bottom() - std::max(reference.value, 0.0) / scale.top() * plot.height();
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        // On a bar the name would be lost in its colour: it gets the paper's colour behind it.
        const QRectF name(plot.right() - metrics.horizontalAdvance(reference.label), y - metrics.height(),
                          metrics.horizontalAdvance(reference.label), metrics.height());
        painter.fillRect(name, Qt::white);
        painter.drawText(QPointF(name.left(), y - metrics.descent()), reference.label);
    }
    painter.restore();
}

} // namespace Qr
