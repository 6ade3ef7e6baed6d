#include "TextRenderer.h"

#include "KavException.h"
#include "PageLines.h"
#include "SystemFailure.h"

#include <cmath>
#include <QSaveFile>

namespace Qr {

namespace {

// A line item flatter than this is a horizontal rule.
constexpr double kRuleHeightMm = 0.5;
constexpr QChar kRule = QLatin1Char('-');
constexpr QChar kBar = QLatin1Char('#');
constexpr QChar kFormFeed = QLatin1Char('\f');
// A value printed with emphasis (bold, in colour) carries this mark in plain text, explained once
// at the end.
constexpr QChar kEmphasisMark = QLatin1Char('!');
const QString kEmphasisNote = QStringLiteral("! valor em destaque (na impressão, em negrito vermelho)\n");
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

// The pieces of a text that fit a column, broken at blanks where it can: nothing is cut off.
QStringList pieces(const QString& text, int width)
{
    QStringList result;
    QString rest = text;
    while (rest.size() > width) {
        qsizetype cut = rest.lastIndexOf(QLatin1Char(' '), width);
        if (cut <= 0)
            cut = width;
        result.append(rest.left(cut).trimmed());
        rest = rest.mid(cut).trimmed();
    }
    result.append(rest);
    return result;
}

QString fitted(const QString& cut, int width, ElementStyle::Align align)
{
    switch (align) {
    case ElementStyle::Align::Left:
        return cut;
    case ElementStyle::Align::Right:
        return cut.rightJustified(width);
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
    if (!item.text.isEmpty()) {
        QString note;
        put(note, start, item.text);
        lines.append(note);
    }
    const int barColumns = std::max(1, column(item.rect.width()) - kChartLabelColumns - int(valueWidth) - 2);
    for (const ChartBar& bar : *item.bars) {
        const int length = top > 0 ? int(std::lround(std::max(bar.value, 0.0) / top * barColumns)) : 0;
        QString line;
        put(line, start,
            bar.label.left(kChartLabelColumns - 1).leftJustified(kChartLabelColumns) +
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
    bool emphasised = false;
    const auto writeLine = [&out](QString line) {
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        out += line + QLatin1Char('\n');
    };
    for (qsizetype p = 0; p < model.pages.size(); ++p) {
        if (p > 0)
            out += kFormFeed;
        for (const PageLine& pageLine : PageLines::of(model.pages[p])) {
            // Rules get a line of their own, above or below the texts they run along.
            QString rules;
            QStringList texts; // a text wider than its column goes on in the lines below
            bool hasRules = false;
            bool hasTexts = false;
            double rulesTop = 0;
            double textsTop = 0;
            QStringList charts;
            for (const PageItem* item : pageLine.items) {
                const int start = column(item->rect.left() - left);
                const int width = std::max(1, column(item->rect.right() - left) - start);
                switch (item->kind) {
                case PageItem::Kind::Text: {
                    // The last column stays blank, so neighbouring items never run together.
                    const QString text = item->emphasis ? item->text + kEmphasisMark : item->text;
                    emphasised = emphasised || item->emphasis;
                    const int columns = std::max(1, width - 1);
                    const QStringList parts = text.isEmpty() ? QStringList() : pieces(text, columns);
                    while (texts.size() < parts.size())
                        texts.append(QString());
                    for (qsizetype k = 0; k < parts.size(); ++k)
                        put(texts[k], start, fitted(parts[k], columns, item->style.align));
                    textsTop = hasTexts ? textsTop : item->rect.top();
                    hasTexts = true;
                    break;
                }
                case PageItem::Kind::Line:
                    if (item->rect.height() < kRuleHeightMm) {
                        put(rules, start, QString(width, kRule));
                        rulesTop = hasRules ? rulesTop : item->rect.top();
                        hasRules = true;
                    }
                    break;
                case PageItem::Kind::Chart:
                    charts += chartLines(*item, left);
                    break;
                case PageItem::Kind::Box:
                    break;
                }
            }
            const bool rulesFirst = !hasTexts || rulesTop <= textsTop;
            if (hasRules && rulesFirst)
                writeLine(rules);
            if (hasTexts && texts.isEmpty())
                writeLine(QString());
            for (const QString& text : std::as_const(texts))
                writeLine(text);
            if (hasRules && !rulesFirst)
                writeLine(rules);
            for (const QString& chartLine : charts)
                writeLine(chartLine);
        }
    }
    if (emphasised)
        out += kEmphasisNote;
    return out;
}

bool TextRenderer::render(const PageModel& model, const RenderTarget& target)
{
    pageDone(target, 0, int(model.pages.size()));
    QSaveFile file(target.fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(toText(model).toUtf8()) < 0 || !file.commit())
        throw Kav::Exception(Kav::cannotWrite(file));
    pageDone(target, int(model.pages.size()), int(model.pages.size()));
    return true;
}

} // namespace Qr
