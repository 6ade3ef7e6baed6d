#include "HtmlRenderer.h"

#include "KavException.h"
#include "PageLines.h"
#include "PageModel.h"
#include "SystemFailure.h"

#include <algorithm>
#include <cmath>
#include <QRegularExpression>
#include <QSaveFile>

namespace Qr {

namespace {

// Items whose left edges lie closer than this share a column of the page's table.
constexpr double kColumnStepMm = 1.0;
// A double written back as the number it is (as spreadsheets keep it).
constexpr int kSignificantDigits = 15;

QString mm(double value)
{
    return QString::number(value, 'f', 2) + QLatin1String("mm");
}

int columnKey(double left)
{
    return int(std::lround(left / kColumnStepMm));
}

// The columns of every page's table: each distinct left edge of the report's texts (and charts'
// labels), left to right, the same on every page, so that what is printed one under the other
// stays in one column and a heading keeps its column from page to page. A chart's values take
// the column after its labels.
QList<int> columnsOf(const PageModel& model)
{
    QList<int> keys;
    for (const Page& page : model.pages)
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

// A figure as printed, "1.024,7* ↑": the number, then its marks (the incomplete mark "*", the
// arrow of a value out of its reference). A code with leading zeros is no figure.
const QRegularExpression& printedFigure()
{
    static const QRegularExpression figure(
        QStringLiteral("^(-?(?!0\\d)(?:\\d{1,3}(?:\\.\\d{3})+|\\d+)(?:,\\d+)?)(\\*?)(\\s*[\u2191\u2193]?)$"));
    return figure;
}

// The number behind a printed figure, a point as the decimal separator: as the data hold it where
// the page knows it (661.4499 printed "661,4"), else as printed.
QString figureValue(const PageItem& item, const QString& printed)
{
    if (item.number.isValid())
        return QString::number(item.number.toDouble(), 'g', kSignificantDigits);
    return QString(printed).remove(QLatin1Char('.')).replace(QLatin1Char(','), QLatin1Char('.'));
}

// A cell's content: a figure with its value for a program to read (data-value) and the incomplete
// mark apart from the number; any other text as it is.
QString cellContent(const PageItem& item, QString& attributes)
{
    const QString& text = item.text;
    const QRegularExpressionMatch figure = printedFigure().match(text);
    if (!figure.hasMatch())
        return text.toHtmlEscaped();
    attributes += QStringLiteral(" data-value=\"%1\"").arg(figureValue(item, figure.captured(1)));
    QString html = figure.captured(1);
    if (!figure.captured(2).isEmpty()) {
        attributes += QStringLiteral(" data-incompleto=\"S\"");
        html += QStringLiteral("<span class=\"mark\" title=\"valor incompleto\">*</span>");
    }
    return html + figure.captured(3).toHtmlEscaped();
}

// One table row: each text in the column of its left edge, empty cells elsewhere.
QString row(const QList<const PageItem*>& items, const QList<int>& columns, const QString& rowClass)
{
    QStringList cells(columns.size());
    for (const PageItem* item : items) {
        const qsizetype column = columns.indexOf(columnKey(item->rect.left()));
        if (column < 0 || item->text.isEmpty())
            continue;
        QString attributes = cellClass(*item);
        const QString content = cellContent(*item, attributes);
        cells[column] = QStringLiteral("<td%1>%2</td>").arg(attributes, content);
    }
    QString html = QStringLiteral("<tr%1>").arg(rowClass);
    for (const QString& cell : std::as_const(cells))
        html += cell.isEmpty() ? QStringLiteral("<td></td>") : cell;
    return html + QLatin1String("</tr>\n");
}

// A row of a chart: a text in the chart's column, a value (with its number) in the next one.
QString chartRow(const QList<int>& columns, qsizetype column, const QString& rowClass, const QString& label,
                 const QString& value, const QVariant& number)
{
    // A chart in the last column gives its values a column of their own.
    QStringList cells(std::max(columns.size(), column + 2));
    cells[column] = QStringLiteral("<td>%1</td>").arg(label.toHtmlEscaped());
    if (!value.isEmpty() && number.isValid())
        cells[column + 1] =
            QStringLiteral("<td class=\"r\" data-value=\"%1\">%2</td>")
                .arg(QString::number(number.toDouble(), 'g', kSignificantDigits), value.toHtmlEscaped());
    else if (!value.isEmpty())
        cells[column + 1] = QStringLiteral("<td class=\"r\">%1</td>").arg(value.toHtmlEscaped());
    QString html = QStringLiteral("<tr class=\"%1\">").arg(rowClass);
    for (const QString& cell : std::as_const(cells))
        html += cell.isEmpty() ? QStringLiteral("<td></td>") : cell;
    return html + QLatin1String("</tr>\n");
}

// A chart as rows of its own: the label in the chart's column, the value in the next one; then
// what the chart says besides its bars (what a bar stands for, its reference lines).
QString chartRows(const PageItem& chart, const QList<int>& columns)
{
    QString html;
    const qsizetype column = columns.indexOf(columnKey(chart.rect.left()));
    for (const ChartBar& bar : *chart.bars)
        html += chartRow(columns, column, QStringLiteral("chart"), bar.label, bar.valueText,
                         bar.known ? QVariant(bar.value) : QVariant());
    if (!chart.text.isEmpty())
        html += chartRow(columns, column, QStringLiteral("chart note"), chart.text, QString(), QVariant());
    for (const ChartReference& reference : chart.references)
        html += chartRow(columns, column, QStringLiteral("chart reference"), QStringLiteral("Referência"),
                         reference.label, reference.value);
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

QString pageTable(const Page& page, const QList<int>& columns)
{
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
            ".d{font-weight:bold;color:#b00000}\n.mark{margin-left:1px}\n.note td{font-style:italic}\n.group "
            "td{background:#e4e8ee}\n.total td{border-top:1px "
            "solid #000}\n"
            "@media print{body{background:none}.page{margin:0;page-break-after:always}}\n"
            "</style>\n</head>\n<body>\n")
            .arg(model.title.toHtmlEscaped(), mm(size.width()), mm(size.height()),
                 QString(model.fontFamily).remove(QLatin1Char('\'')).toHtmlEscaped(),
                 QString::number(model.fontSize), mm(model.page.margins.top()));
    const QList<int> columns = columnsOf(model);
    for (const Page& page : model.pages)
        html += pageTable(page, columns);
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
