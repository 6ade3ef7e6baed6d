#include "PagePainter.h"

#include <QPaintDevice>
#include <QPainter>

namespace {

constexpr double kMmPerInch = 25.4;
const QColor kDefaultBarFill(0x4a, 0x7a, 0xb5);
// Share of each bar's slot the bar itself takes.
constexpr double kBarShare = 0.7;
// The thinnest pen still visible on paper.
constexpr double kHairlineMm = 0.1;

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
    const double pointScale = pixelsPerMm * kMmPerInch / painter.device()->logicalDpiY();
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
    const QFont& labelFont = font(item.style, pointScale);
    painter.setFont(labelFont);
    const double textHeight = QFontMetricsF(labelFont, painter.device()).height();
    const QRectF plot = rect.adjusted(0, textHeight, 0, -textHeight);
    const double slot = plot.width() / double(bars.size());
    painter.setPen(QPen(item.style.color, kHairlineMm * pixelsPerMm));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const ChartBar& bar = bars[i];
        const double height = top > 0 ? std::max(bar.value, 0.0) / top * plot.height() : 0;
        const double left = plot.left() + slot * double(i);
        const QRectF barRect(left + slot * (1 - kBarShare) / 2, plot.bottom() - height, slot * kBarShare,
                             height);
        painter.fillRect(barRect, item.fill.isValid() ? item.fill : kDefaultBarFill);
        painter.drawText(QRectF(left, barRect.top() - textHeight, slot, textHeight),
                         int(Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine), bar.valueText);
        painter.drawText(QRectF(left, plot.bottom(), slot, textHeight),
                         int(Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine), bar.label);
    }
}
