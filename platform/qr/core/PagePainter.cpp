#include "PagePainter.h"

#include "ChartGeometry.h"

#include <cmath>
#include <QPaintDevice>
#include <QPainter>

namespace Qr {

namespace {

constexpr double kPaintMmPerInch = 25.4;
const QColor kDefaultBarFill(0x4a, 0x7a, 0xb5);
// The thinnest pen still visible on paper.
constexpr double kHairlineMm = 0.1;
// A reference line: thicker than the axis, in a colour no bar has.
constexpr double kReferenceLineMm = 0.35;
const QColor kReferenceColor(0xc0, 0x39, 0x2b);

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
            paintChart(painter, item, pixelsPerMm, pointScale);
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

void PagePainter::paintChart(QPainter& painter, const PageItem& item, double pixelsPerMm, double pointScale)
{
    if (item.bars->isEmpty())
        return;
    const QFont& labelFont = font(item.style, pointScale);
    painter.setFont(labelFont);
    const QFontMetricsF device(labelFont, painter.device());
    ChartGeometry::Metrics metrics;
    metrics.width = [&](const QString& text) { return device.horizontalAdvance(text) / pixelsPerMm; };
    metrics.ascent = device.ascent() / pixelsPerMm;
    metrics.descent = device.descent() / pixelsPerMm;
    const ChartGeometry chart(item, metrics);
    const auto at = [pixelsPerMm](double x, double y) { return QPointF(x * pixelsPerMm, y * pixelsPerMm); };
    const auto write = [&](const ChartGeometry::Text& text) {
        if (!text.text.isEmpty())
            painter.drawText(at(text.rect.left(), text.rect.top() + metrics.ascent), text.text);
    };
    painter.setPen(QPen(item.style.color, kHairlineMm * pixelsPerMm));
    write(chart.note);
    // The axis: a baseline, an upright line with ticks and their values.
    const QRectF& plot = chart.plot;
    painter.drawLine(at(plot.left(), plot.bottom()), at(plot.right(), plot.bottom()));
    painter.drawLine(at(plot.left(), plot.bottom()), at(plot.left(), plot.top()));
    for (const double y : chart.tickYs)
        painter.drawLine(at(plot.left() - ChartGeometry::TickMm, y), at(plot.left(), y));
    for (const ChartGeometry::Text& label : chart.axisLabels)
        write(label);
    for (const ChartGeometry::Bar& bar : chart.bars) {
        painter.fillRect(scaled(bar.rect, pixelsPerMm), item.fill.isValid() ? item.fill : kDefaultBarFill);
        write(bar.value);
        write(bar.label);
    }
    // Each reference as a dashed line over the bars, named right of them.
    painter.save();
    painter.setPen(QPen(kReferenceColor, kReferenceLineMm * pixelsPerMm, Qt::DashLine));
    for (const ChartGeometry::Reference& reference : chart.references) {
        painter.drawLine(at(plot.left(), reference.y), at(plot.right(), reference.y));
        write(reference.name);
    }
    painter.restore();
}

} // namespace Qr
