#include "HtmlRenderer.h"

#include "KavException.h"
#include "PageModel.h"

#include <QSaveFile>

namespace {

QString mm(double value)
{
    return QString::number(value, 'f', 2) + QLatin1String("mm");
}

QString box(const QRectF& rect)
{
    return QStringLiteral("left:%1;top:%2;width:%3;height:%4")
        .arg(mm(rect.left()), mm(rect.top()), mm(rect.width()), mm(rect.height()));
}

QString textItem(const PageItem& item)
{
    QString style = box(item.rect) + QStringLiteral(";font-size:%1pt").arg(item.style.fontSize);
    if (item.style.bold)
        style += QLatin1String(";font-weight:bold");
    if (item.style.italic)
        style += QLatin1String(";font-style:italic");
    if (item.style.align != ElementStyle::Align::Left)
        style += QLatin1String(";text-align:") + ElementStyle::alignName(item.style.align);
    if (item.style.color != QColor(Qt::black))
        style += QLatin1String(";color:") + item.style.color.name();
    return QStringLiteral("<div class=\"t\" style=\"%1\">%2</div>\n").arg(style, item.text.toHtmlEscaped());
}

QString graphicItem(const PageItem& item)
{
    const QString pen =
        QStringLiteral("%1 solid %2").arg(mm(std::max(item.lineWidth, 0.1)), item.style.color.name());
    if (item.kind == PageItem::Kind::Line) {
        // A line runs along its rectangle's top (flat) or left (upright) edge.
        const bool flat = item.rect.width() >= item.rect.height();
        return QStringLiteral("<div class=\"g\" style=\"%1;%2:%3\"></div>\n")
            .arg(box(item.rect), flat ? QStringLiteral("border-top") : QStringLiteral("border-left"), pen);
    }
    const QString fill = item.fill.isValid() ? QLatin1String(";background:") + item.fill.name() : QString();
    return QStringLiteral("<div class=\"g\" style=\"%1;border:%2%3\"></div>\n")
        .arg(box(item.rect), pen, fill);
}

QString chartItem(const PageItem& item)
{
    double top = 0;
    for (const ChartBar& bar : *item.bars)
        top = std::max(top, bar.value);
    QString html = QStringLiteral("<div class=\"c\" style=\"%1\">\n").arg(box(item.rect));
    const QString fill = item.fill.isValid() ? item.fill.name() : QStringLiteral("#4a7ab5");
    for (const ChartBar& bar : *item.bars) {
        const double share = top > 0 ? std::max(bar.value, 0.0) / top * 100 : 0;
        html += QStringLiteral(
                    "<div class=\"b\"><span class=\"v\">%1</span><div style=\"height:%2%;background:%3\">"
                    "</div><span class=\"l\">%4</span></div>\n")
                    .arg(bar.valueText.toHtmlEscaped(), QString::number(share, 'f', 1), fill,
                         bar.label.toHtmlEscaped());
    }
    return html + QLatin1String("</div>\n");
}

} // namespace

QString HtmlRenderer::toHtml(const PageModel& model)
{
    const QSizeF size = model.page.pageSizeMm();
    QString html =
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n"
            "<style>\nbody{background:#888;margin:0}\n"
            ".page{position:relative;background:#fff;margin:8mm auto;width:%2;height:%3;overflow:hidden;"
            "font-family:'%4',sans-serif;font-size:%5pt}\n"
            ".t,.g,.c{position:absolute;box-sizing:border-box}\n.t{white-space:pre;overflow:hidden}\n"
            ".c{display:flex;align-items:flex-end;gap:2px}\n"
            ".b{flex:1;height:100%;display:flex;flex-direction:column;justify-content:flex-end;"
            "text-align:center;font-size:6pt}\n"
            "@media print{body{background:none}.page{margin:0;page-break-after:always}}\n"
            "</style>\n</head>\n<body>\n")
            .arg(model.title.toHtmlEscaped(), mm(size.width()), mm(size.height()),
                 QString(model.fontFamily).remove(QLatin1Char('\'')).toHtmlEscaped(),
                 QString::number(model.fontSize));
    for (const Page& page : model.pages) {
        html += QLatin1String("<div class=\"page\">\n");
        for (const PageItem& item : page.items) {
            switch (item.kind) {
            case PageItem::Kind::Text:
                html += textItem(item);
                break;
            case PageItem::Kind::Line:
            case PageItem::Kind::Box:
                html += graphicItem(item);
                break;
            case PageItem::Kind::Chart:
                html += chartItem(item);
                break;
            }
        }
        html += QLatin1String("</div>\n");
    }
    return html + QLatin1String("</body>\n</html>\n");
}

bool HtmlRenderer::render(const PageModel& model, const RenderTarget& target)
{
    pageDone(target, 0, int(model.pages.size()));
    QSaveFile file(target.fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(toHtml(model).toUtf8()) < 0 || !file.commit())
        throw Kav::Exception(
            QStringLiteral("Não foi possível gravar %1: %2").arg(target.fileName, file.errorString()));
    pageDone(target, int(model.pages.size()), int(model.pages.size()));
    return true;
}
