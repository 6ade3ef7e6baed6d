#include "HtmlRenderer.h"

#include "KavException.h"
#include "PageLines.h"
#include "PageModel.h"
#include "SystemFailure.h"

#include <algorithm>
#include <cmath>
#include <QSaveFile>

namespace Qr {

namespace {

// Items whose left edges lie closer than this share a column of the page's table.
constexpr double kColumnStepMm = 1.0;

QString mm(double value)
{
    return QString::number(value, 'f', 2) + QLatin1String("mm");
}

int columnKey(double left)
{
    return int(std::lround(left / kColumnStepMm));
}

// The columns of a page's table: every distinct left edge of its texts (and charts' labels),
// left to right, so that what is printed one under the other stays in one column.
QList<int> columnsOf(const Page& page)
{
    QList<int> keys;
    for (const PageItem& item : page.items)
        if (item.kind == PageItem::Kind::Text || item.kind == PageItem::Kind::Chart)
            keys.append(columnKey(item.rect.left()));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

QString cellClass(const PageItem& item)
{
    QStringList classes;
    if (item.style.align == ElementStyle::Align::Right)
        classes.append(QStringLiteral("r"));
    else if (item.style.align == ElementStyle::Align::Center)
        classes.append(QStringLiteral("c"));
    if (item.style.bold)
        classes.append(QStringLiteral("b"));
    if (item.style.italic)
        classes.append(QStringLiteral("i"));
    if (item.emphasis)
        classes.append(QStringLiteral("d"));
    return classes.isEmpty() ? QString()
                             : QStringLiteral(" class=\"%1\"").arg(classes.join(QLatin1Char(' ')));
}

// One table row: each text in the column of its left edge, empty cells elsewhere.
QString row(const QList<const PageItem*>& items, const QList<int>& columns, const QString& rowClass)
{
    QStringList cells(columns.size());
    for (const PageItem* item : items) {
        const qsizetype column = columns.indexOf(columnKey(item->rect.left()));
        if (column < 0 || item->text.isEmpty())
            continue;
        cells[column] = QStringLiteral("<td%1>%2</td>").arg(cellClass(*item), item->text.toHtmlEscaped());
    }
    QString html = QStringLiteral("<tr%1>").arg(rowClass);
    for (const QString& cell : std::as_const(cells))
        html += cell.isEmpty() ? QStringLiteral("<td></td>") : cell;
    return html + QLatin1String("</tr>\n");
}

// A chart as rows of its own: the label in the chart's column, the value in the next one.
QString chartRows(const PageItem& chart, const QList<int>& columns)
{
    QString html;
    const qsizetype column = columns.indexOf(columnKey(chart.rect.left()));
    for (const ChartBar& bar : *chart.bars) {
        QStringList cells(columns.size());
        cells[column] = QStringLiteral("<td>%1</td>").arg(bar.label.toHtmlEscaped());
        const QString value = QStringLiteral("<td class=\"r\">%1</td>").arg(bar.valueText.toHtmlEscaped());
        if (column + 1 < columns.size())
            cells[column + 1] = value;
        else
            cells.append(value);
        html += QLatin1String("<tr class=\"chart\">");
        for (const QString& cell : std::as_const(cells))
            html += cell.isEmpty() ? QStringLiteral("<td></td>") : cell;
        html += QLatin1String("</tr>\n");
    }
    return html;
}

QString rowClassOf(BandKind kind)
{
    switch (kind) {
    case BandKind::PageHeader:
    case BandKind::ColumnHeader:
    case BandKind::Title:
        return QStringLiteral(" class=\"head\"");
    case BandKind::GroupHeader:
        return QStringLiteral(" class=\"group\"");
    case BandKind::GroupFooter:
    case BandKind::Summary:
        return QStringLiteral(" class=\"total\"");
    default:
        return {};
    }
}

QString pageTable(const Page& page)
{
    const QList<int> columns = columnsOf(page);
    QString html = QLatin1String("<div class=\"page\">\n<table>\n");
    for (const PageLine& line : PageLines::of(page)) {
        QList<const PageItem*> texts;
        for (const PageItem* item : line.items) {
            if (item->kind == PageItem::Kind::Text)
                texts.append(item);
            else if (item->kind == PageItem::Kind::Chart)
                html += chartRows(*item, columns);
        }
        if (!texts.isEmpty())
            html += row(texts, columns, rowClassOf(line.bandKind));
    }
    return html + QLatin1String("</table>\n</div>\n");
}

} // namespace

QString HtmlRenderer::toHtml(const PageModel& model)
{
    const QSizeF size = model.page.pageSizeMm();
    QString html =
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>%1</title>\n"
            "<style>\nbody{background:#888;margin:0}\n"
            ".page{background:#fff;margin:8mm auto;padding:%6;box-sizing:border-box;width:%2;min-height:%3;"
            "font-family:'%4',sans-serif;font-size:%5pt}\n"
            "table{border-collapse:collapse;width:100%}\ntd{padding:0 "
            "1mm;white-space:nowrap;vertical-align:top}\n"
            ".r{text-align:right}\n.c{text-align:center}\n.b{font-weight:bold}\n.i{font-style:italic}\n"
            ".d{font-weight:bold;color:#b00000}\n.group td{background:#e4e8ee}\n.total td{border-top:1px "
            "solid #000}\n"
            "@media print{body{background:none}.page{margin:0;page-break-after:always}}\n"
            "</style>\n</head>\n<body>\n")
            .arg(model.title.toHtmlEscaped(), mm(size.width()), mm(size.height()),
                 QString(model.fontFamily).remove(QLatin1Char('\'')).toHtmlEscaped(),
                 QString::number(model.fontSize), mm(model.page.margins.top()));
    for (const Page& page : model.pages)
        html += pageTable(page);
    return html + QLatin1String("</body>\n</html>\n");
}

bool HtmlRenderer::render(const PageModel& model, const RenderTarget& target)
{
    pageDone(target, 0, int(model.pages.size()));
    QSaveFile file(target.fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(toHtml(model).toUtf8()) < 0 || !file.commit())
        throw Kav::Exception(Kav::cannotWrite(file));
    pageDone(target, int(model.pages.size()), int(model.pages.size()));
    return true;
}

} // namespace Qr
