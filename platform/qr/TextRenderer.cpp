#include "TextRenderer.h"

#include "KavException.h"
#include "PageLines.h"

#include <QSaveFile>
#include <cmath>

namespace {

// A line item flatter than this is a horizontal rule.
constexpr double kRuleHeightMm = 0.5;
constexpr QChar kRule = QLatin1Char('-');
constexpr QChar kBar = QLatin1Char('#');
constexpr QChar kFormFeed = QLatin1Char('\f');
// Columns given to a chart's labels.
constexpr int kChartLabelColumns = 12;

int column(double mm)
{
    return int(std::lround(mm / TextRenderer::CellWidthMm));
}

void put(QString& line, int start, const QString& text)
{
    if (start < 0)
        return;
    if (line.size() < start + text.size())
        line.resize(start + text.size(), QLatin1Char(' '));
    line.replace(start, text.size(), text);
}

QString fitted(const QString& text, int width, ElementStyle::Align align)
{
    const QString cut = text.left(width);
    switch (align) {
    case ElementStyle::Align::Left: return cut;
    case ElementStyle::Align::Right: return cut.rightJustified(width);
    case ElementStyle::Align::Center: {
        const int before = int(width - cut.size()) / 2;
        return QString(before, QLatin1Char(' ')) + cut;
    }
    }
    return cut;
}

QStringList chartLines(const PageItem& item, double left)
{
    QStringList lines;
    double top = 0;
    qsizetype valueWidth = 0;
    for (const ChartBar& bar : *item.bars) {
        top = std::max(top, bar.value);
        valueWidth = std::max(valueWidth, bar.valueText.size());
    }
    const int start = column(item.rect.left() - left);
    const int barColumns = std::max(1, column(item.rect.width()) - kChartLabelColumns - int(valueWidth) - 2);
    for (const ChartBar& bar : *item.bars) {
        const int length = top > 0 ? int(std::lround(std::max(bar.value, 0.0) / top * barColumns)) : 0;
        QString line;
        put(line, start, bar.label.left(kChartLabelColumns - 1).leftJustified(kChartLabelColumns) +
                             QString(length, kBar).leftJustified(barColumns + 1) + bar.valueText);
        lines.append(line);
    }
    return lines;
}

} // namespace

QString TextRenderer::toText(const PageModel& model)
{
    QString out;
    const double left = model.page.margins.left();
    for (qsizetype p = 0; p < model.pages.size(); ++p) {
        if (p > 0)
            out += kFormFeed;
        for (const PageLine& pageLine : PageLines::of(model.pages[p])) {
            QString line;
            QStringList extra;
            bool printed = false;
            for (const PageItem* item : pageLine.items) {
                const int start = column(item->rect.left() - left);
                const int width = std::max(1, column(item->rect.width()));
                switch (item->kind) {
                case PageItem::Kind::Text:
                    if (!item->text.isEmpty())
                        put(line, start, fitted(item->text, width, item->style.align));
                    printed = true;
                    break;
                case PageItem::Kind::Line:
                    if (item->rect.height() < kRuleHeightMm) {
                        put(line, start, QString(width, kRule));
                        printed = true;
                    }
                    break;
                case PageItem::Kind::Chart: extra += chartLines(*item, left); break;
                case PageItem::Kind::Box: break;
                }
            }
            if (printed)
                out += QStringView(line).trimmed().isEmpty() ? QString() : line;
            if (printed)
                out += QLatin1Char('\n');
            for (QString& chartLine : extra) {
                while (chartLine.endsWith(QLatin1Char(' ')))
                    chartLine.chop(1);
                out += chartLine + QLatin1Char('\n');
            }
        }
    }
    return out;
}

bool TextRenderer::render(const PageModel& model, const RenderTarget& target)
{
    pageDone(target, 0, int(model.pages.size()));
    QSaveFile file(target.fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(toText(model).toUtf8()) < 0 || !file.commit())
        throw Kav::Exception(QStringLiteral("Não foi possível gravar %1: %2").arg(target.fileName, file.errorString()));
    pageDone(target, int(model.pages.size()), int(model.pages.size()));
    return true;
}
