#include "PageLayouter.h"

#include "ChartAggregator.h"
#include "ColumnMap.h"
#include "ExpressionContext.h"
#include "KavException.h"
#include "ReportCancelled.h"
#include "ReportData.h"
#include "ReportLayout.h"
#include "TextWrapper.h"
#include "TParams.h"
#include "ValueFormatter.h"

#include <cmath>
#include <deque>
#include <QHash>

namespace Qr {

namespace {

// What pages() sees on a page handed over before the last page is laid out.
constexpr int kPageCountUnknown = -1;

// A value shown with emphasis (out of its range) is bold in this colour.
const QColor kEmphasisColor(0xB0, 0x00, 0x00);

// A text wider than its box is set smaller, never below this share of its size nor below the
// smallest size; past that it is cut with "…" and printed whole at the end of the report.
constexpr double kSmallestShare = 0.75;
constexpr double kSmallestFontSize = 5.0;
constexpr double kFontSizeSteps = 10; // sizes in tenths of a point
const QString kCutTextsHeading = QStringLiteral("Textos abreviados nas páginas acima, por extenso:");
constexpr double kCutTextFontSize = 6.5;
constexpr double kCutTextLineMm = 3.5;
const QColor kCutTextColor(0x40, 0x40, 0x40);

// What an expression sees at one moment of the run: the current row, the rows its aggregates
// cover and the page.
class RowContext : public ExpressionContext
{
public:
    const ReportData* data = nullptr;
    const ColumnMap* columns = nullptr; // this run's, never the layout's
    const QHash<QString, QVariant>* params = nullptr;
    int row = -1;
    int scopeBegin = 0;
    int scopeEnd = 0;
    int page = 0;
    int pages = 0;
    bool repeated = false; // a group header printed again on a continuation page
    QString blockRange;
    QDateTime clock;

    QVariant column(const QString& key) const override
    {
        if (row < 0 || row >= data->rows.size())
            return {};
        return data->rows[row].value(columns->indexOf(key));
    }
    QVariant parameter(const QString& name) const override { return params->value(name.toUpper()); }
    void forEachRowInScope(const std::function<void(const ExpressionContext&)>& visit) const override
    {
        RowContext each = *this;
        for (int i = scopeBegin; i < scopeEnd; ++i) {
            each.row = i;
            visit(each);
        }
    }
    int pageNumber() const override { return page; }
    int pageCount() const override { return pages; }
    QDateTime now() const override { return clock; }
    bool continued() const override { return repeated; }
    QString columnBlock() const override { return blockRange; }
};

bool sameKey(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a == b;
}

void checkBand(const ReportBand& band, const QStringList& columns)
{
    band.printWhen.checkColumns(columns);
    for (const ReportElement& element : band.elements) {
        for (const Expression* expression : {&element.value, &element.printWhen, &element.emphasis,
                                             &element.label, &element.referenceMin, &element.referenceMax})
            expression->checkColumns(columns);
    }
}

class Run
{
public:
    Run(const ReportLayout& layout, const QList<PageLayouter::Part>& parts,
        const PageLayouter::Options& options)
        : m_layout(layout), m_parts(parts), m_options(options)
    {
        m_context.clock = options.now;
        m_model.title = layout.title;
        m_model.page = layout.page;
        m_model.fontFamily = layout.fontFamily;
        m_model.fontSize = layout.fontSize;
        m_bodyHeight = layout.page.bodySizeMm().height();
        m_footerHeight = layout.pageFooter ? layout.pageFooter->height : 0;
    }

    PageModel run()
    {
        for (int part = 0; part < int(m_parts.size()); ++part) {
            if (part > 0)
                completePage();
            startPart(part);
            startPage(0);
            layOutRows();
            placeLists(part, true);
        }
        placeLists(0, false);
        placeCutTexts();
        completePage();
        fillDeferred();
        return std::move(m_model);
    }

private:
    struct Deferred
    {
        int page;
        int item;
        const ReportElement* element;
        RowContext context;
    };

    // The rows and parameters of one part (a block of columns): bound, grouped, measured.
    void startPart(int part)
    {
        m_data = m_parts[part].data;
        QHash<QString, QVariant>& params = m_partParams.emplace_back();
        for (const TParam& param : m_parts[part].params)
            params.insert(param.Name().toUpper(), param.Value());
        m_context.data = m_data;
        m_context.columns = &m_partColumns.emplace_back(m_data->columns);
        m_context.params = &params;
        m_context.blockRange = m_parts[part].blockRange;
        for (const ReportBand* band : m_layout.bands())
            checkBand(*band, m_data->columns);
        for (const ReportGroup& group : m_layout.groups)
            group.key.checkColumns(m_data->columns);
        computeGroups();
        computeDetailHeights();
    }

    void layOutRows()
    {
        const int rowCount = int(m_data->rows.size());
        const int groupCount = int(m_layout.groups.size());
        m_groupStart.assign(groupCount, 0);
        m_open.assign(groupCount, false);
        for (int i = 0; i < rowCount; ++i) {
            const int level = m_changeLevel[i];
            if (i > 0)
                placeFooters(i, level);
            keepTogether(headersHeight(i, level) + rowChainHeight(nextPrinted(i)), i);
            for (int g = level; g < groupCount; ++g) {
                m_groupStart[g] = i;
                if (m_layout.groups[g].pageBreak && i > 0 && !m_fresh)
                    newPage(i);
                placeGroupBand(m_layout.groups[g].header, i, i, m_groupEnd[g][i]);
                m_open[g] = true;
            }
            if (m_detailHeight[i] > 0) {
                keepTogether(rowChainHeight(i), i);
                place(*m_layout.detail, contextFor(i, 0, rowCount));
            }
            if ((i + 1) % PageLayouter::ProgressStep == 0)
                reportProgress(i + 1);
        }
        if (rowCount > 0)
            placeFooters(rowCount, 0);
        if (m_layout.summary)
            place(*m_layout.summary, contextFor(rowCount - 1, 0, rowCount));
        reportProgress(rowCount);
    }

    void reportProgress(int done)
    {
        if (m_options.progress && !m_options.progress(done, int(m_data->rows.size())))
            throw ReportCancelled();
    }

    // changeLevel[i]: the outermost group whose key changes at row i (every group starts at row 0;
    // the number of groups when none changes). groupEnd[g][i]: the row after the group g that
    // contains row i.
    void computeGroups()
    {
        const int rowCount = int(m_data->rows.size());
        const int groupCount = int(m_layout.groups.size());
        m_changeLevel.assign(rowCount, groupCount);
        QList<QVariant> previous(groupCount);
        for (int i = 0; i < rowCount; ++i) {
            const RowContext context = contextFor(i, i, i + 1);
            for (int g = 0; g < groupCount; ++g) {
                const QVariant key = m_layout.groups[g].key.evaluate(context);
                if ((i == 0 || !sameKey(key, previous[g])) && m_changeLevel[i] == groupCount)
                    m_changeLevel[i] = g;
                previous[g] = key;
            }
        }
        m_groupEnd.assign(groupCount, std::vector<int>(rowCount, rowCount));
        for (int g = 0; g < groupCount; ++g) {
            int next = rowCount;
            for (int i = rowCount - 1; i >= 0; --i) {
                m_groupEnd[g][i] = next;
                if (m_changeLevel[i] <= g)
                    next = i;
            }
        }
    }

    // Detail height each row takes on the page: none where the detail is not printed.
    void computeDetailHeights()
    {
        const int rowCount = int(m_data->rows.size());
        m_detailHeight.assign(rowCount, 0);
        if (!m_layout.detail)
            return;
        for (int i = 0; i < rowCount; ++i) {
            const RowContext context = contextFor(i, 0, rowCount);
            if (heightIfPrinted(*m_layout.detail, context) > 0)
                m_detailHeight[i] = m_layout.detail->height +
                                    extraHeight(*m_layout.detail, wrapLines(*m_layout.detail, context));
        }
    }

    static double heightIfPrinted(const ReportBand& band, const RowContext& context)
    {
        return band.printWhen.isEmpty() || band.printWhen.isTrue(context) ? band.height : 0;
    }

    // The first row from `row` on whose detail is printed; the number of rows when none is.
    int nextPrinted(int row) const
    {
        while (row < int(m_detailHeight.size()) && m_detailHeight[row] <= 0)
            ++row;
        return row;
    }

    // Footers of the groups that end before `row` (all of them at the end of the rows), innermost
    // first, each group closed as its footer is placed.
    void placeFooters(int row, int level)
    {
        for (int g = int(m_layout.groups.size()) - 1; g >= level; --g) {
            placeGroupBand(m_layout.groups[g].footer, row - 1, m_groupStart[g], row);
            m_open[g] = false;
        }
    }

    // Height of the footers printed before `row`; `starts[g]` is where group g began.
    double footersHeight(int row, const std::vector<int>& starts) const
    {
        const int rowCount = int(m_data->rows.size());
        const int level = row < rowCount ? m_changeLevel[row] : 0;
        double height = 0;
        for (int g = int(m_layout.groups.size()) - 1; g >= level; --g)
            if (const auto& footer = m_layout.groups[g].footer)
                height += heightIfPrinted(*footer, contextFor(row - 1, starts[g], row));
        return height;
    }

    // Height of the headers of the groups that start at `row` from `level` in.
    double headersHeight(int row, int level) const
    {
        double height = 0;
        for (int g = level; g < int(m_layout.groups.size()); ++g)
            if (const auto& header = m_layout.groups[g].header)
                height += heightIfPrinted(*header, contextFor(row, row, m_groupEnd[g][row]));
        return height;
    }

    // A printed row with the totals that follow it before the next printed row, and the summary
    // after the last row: a total never starts a page without one of its rows.
    double rowChainHeight(int row) const
    {
        const double height = rowAndTotalsHeight(row);
        const int rowCount = int(m_data->rows.size());
        if (row < rowCount && nextPrinted(row + 1) >= rowCount && m_layout.summary)
            return height + heightIfPrinted(*m_layout.summary, contextFor(rowCount - 1, 0, rowCount));
        return height;
    }

    // A printed row with the group footers that follow it before the next printed row.
    double rowAndTotalsHeight(int row) const
    {
        const int rowCount = int(m_data->rows.size());
        if (row >= rowCount)
            return 0;
        std::vector<int> starts = m_groupStart;
        for (int g = m_changeLevel[row]; g < int(starts.size()); ++g)
            starts[g] = row;
        double height = m_detailHeight[row];
        const int next = nextPrinted(row + 1);
        for (int boundary = row + 1; boundary <= next && boundary <= rowCount; ++boundary) {
            height += footersHeight(boundary, starts);
            if (boundary < rowCount)
                for (int g = m_changeLevel[boundary]; g < int(starts.size()); ++g)
                    starts[g] = boundary;
        }
        return height;
    }

    // Starts a new page before `row` when what must stay together does not fit on this one but
    // would on an empty page.
    void keepTogether(double height, int row)
    {
        const double limit = m_bodyHeight - m_footerHeight;
        if (m_fresh || m_y + height <= limit || m_frameHeight + height > limit)
            return;
        newPage(row);
    }

    RowContext contextFor(int row, int scopeBegin, int scopeEnd) const
    {
        RowContext context = m_context;
        context.row = row;
        context.scopeBegin = scopeBegin;
        context.scopeEnd = scopeEnd;
        context.page = int(m_model.pages.size());
        return context;
    }

    void placeGroupBand(const std::optional<ReportBand>& band, int row, int scopeBegin, int scopeEnd)
    {
        if (band)
            place(*band, contextFor(row, scopeBegin, scopeEnd));
    }

    void startPage(int nextRow)
    {
        m_model.pages.append(Page());
        m_y = 0;
        const RowContext context = contextFor(nextRow, 0, int(m_data->rows.size()));
        if (m_model.pages.size() == 1 && m_layout.titleBand)
            placeAt(*m_layout.titleBand, context);
        if (m_layout.pageHeader)
            placeAt(*m_layout.pageHeader, context);
        if (m_layout.columnHeader)
            placeAt(*m_layout.columnHeader, context);
        m_frameHeight = std::max(m_frameHeight, m_y);
        repeatOpenHeaders();
        m_fresh = true;
        m_lastRow = nextRow;
    }

    // The headers of the groups a new page continues, marked as continued.
    void repeatOpenHeaders()
    {
        for (int g = 0; g < int(m_open.size()); ++g) {
            const ReportGroup& group = m_layout.groups[g];
            if (!m_open[g] || !group.repeatHeader || !group.header)
                continue;
            const int start = m_groupStart[g];
            RowContext context = contextFor(start, start, m_groupEnd[g][start]);
            context.repeated = true;
            placeAt(*group.header, context);
        }
    }

    // Each list's band once per row of the list's own query, from the rows the part read: the
    // lists that follow the column blocks after each part's summary, the others after the last.
    void placeLists(int part, bool followingBlocks)
    {
        const std::vector<ReportData>& lists = m_parts[part].data->lists;
        for (int l = 0; l < int(m_layout.lists.size()) && l < int(lists.size()); ++l) {
            if (m_layout.listFollowsBlocks(m_layout.lists[l]) != followingBlocks)
                continue;
            const ReportList& list = m_layout.lists[l];
            checkBand(list.band, lists[l].columns);
            list.groupBy.checkColumns(lists[l].columns);
            RowContext context = contextFor(0, 0, int(lists[l].rows.size()));
            context.data = &lists[l];
            context.columns = &m_partColumns.emplace_back(lists[l].columns);
            placeList(list, context);
        }
    }

    // One printed band of a list: the row its columns read and the rows its aggregates cover.
    struct ListBand
    {
        int row;
        int scopeBegin;
        int scopeEnd;
    };

    // One band per row, its aggregates over all the list's rows; or, grouped, one per group of
    // rows with the same key, whose rows a copy of the list's rows makes adjacent (the context
    // then reads the copy).
    std::vector<ListBand> listBands(const ReportList& list, RowContext& context)
    {
        const int count = int(context.data->rows.size());
        std::vector<ListBand> bands;
        if (list.groupBy.isEmpty()) {
            for (int i = 0; i < count; ++i)
                bands.push_back({i, 0, count});
            return bands;
        }
        QStringList keys;
        QHash<QString, QList<int>> members;
        for (int i = 0; i < count; ++i) {
            RowContext row = context;
            row.row = i;
            row.scopeBegin = i;
            row.scopeEnd = i + 1;
            const QString key = ValueFormatter::format(list.groupBy.evaluate(row));
            if (!members.contains(key))
                keys.append(key);
            members[key].append(i);
        }
        ReportData& grouped = m_groupedLists.emplace_back();
        grouped.columns = context.data->columns;
        for (const QString& key : std::as_const(keys)) {
            const int begin = int(grouped.rows.size());
            for (const int i : std::as_const(members[key]))
                grouped.rows.append(context.data->rows[i]);
            bands.push_back({begin, begin, int(grouped.rows.size())});
        }
        context.data = &grouped;
        return bands;
    }

    // The list's first band (its heading) starts no page without the band after it; with
    // repeat-header, each page the list goes on to starts with it again, marked as continued.
    void placeList(const ReportList& list, RowContext context)
    {
        const std::vector<ListBand> bands = listBands(list, context);
        const auto at = [&](const ListBand& band) {
            RowContext positioned = context;
            positioned.row = band.row;
            positioned.scopeBegin = band.scopeBegin;
            positioned.scopeEnd = band.scopeEnd;
            positioned.page = int(m_model.pages.size());
            return positioned;
        };
        for (std::size_t i = 0; i < bands.size(); ++i) {
            double needed = listRowHeight(list.band, at(bands[i]));
            if (i == 0 && bands.size() > 1)
                needed += listRowHeight(list.band, at(bands[1]));
            if (needed > 0 && !m_fresh && m_y + needed > m_bodyHeight - m_footerHeight) {
                newPage(m_lastRow);
                if (i > 0 && list.repeatHeader) {
                    RowContext heading = at(bands.front());
                    heading.repeated = true;
                    place(list.band, heading);
                }
            }
            place(list.band, at(bands[i]));
        }
    }

    double listRowHeight(const ReportBand& band, const RowContext& context) const
    {
        if (!band.printWhen.isEmpty() && !band.printWhen.isTrue(context))
            return 0;
        return band.height + extraHeight(band, wrapLines(band, context));
    }

    void finishPage()
    {
        if (!m_layout.pageFooter)
            return;
        const RowContext context = contextFor(m_lastRow, 0, int(m_data->rows.size()));
        if (m_layout.pageFooter->printWhen.isEmpty() || m_layout.pageFooter->printWhen.isTrue(context))
            emitBand(*m_layout.pageFooter, context, m_bodyHeight - m_footerHeight);
    }

    void newPage(int nextRow)
    {
        completePage();
        startPage(nextRow);
    }

    // The last page gets its footer and goes to whoever waits for pages, its page count unknown.
    void completePage()
    {
        finishPage();
        if (!m_options.pageLaidOut)
            return;
        // Values deferred before this page's were on the pages already handed over.
        for (; m_deferredShown < int(m_deferred.size()); ++m_deferredShown)
            fillDeferred(m_deferred[m_deferredShown], kPageCountUnknown);
        m_options.pageLaidOut(m_model.pages.last());
    }

    // A band of the page's own frame, placed where the cursor stands without a page break.
    void placeAt(const ReportBand& band, const RowContext& context)
    {
        if (!band.printWhen.isEmpty() && !band.printWhen.isTrue(context))
            return;
        emitBand(band, context, m_y);
        m_y += band.height;
    }

    void place(const ReportBand& band, RowContext context)
    {
        if (!band.printWhen.isEmpty() && !band.printWhen.isTrue(context))
            return;
        const WrappedLines wrapped = wrapLines(band, context);
        const double height = band.height + extraHeight(band, wrapped);
        if (m_y + height > m_bodyHeight - m_footerHeight && !m_fresh) {
            newPage(band.kind == BandKind::List ? m_lastRow : context.row);
            context.page = int(m_model.pages.size());
        }
        emitBand(band, context, m_y, wrapped);
        m_y += height;
        m_fresh = false;
        if (band.kind != BandKind::List)
            m_lastRow = context.row;
    }

    // The lines of each wrapping element of a band about to be printed.
    using WrappedLines = QHash<const ReportElement*, QStringList>;

    WrappedLines wrapLines(const ReportBand& band, const RowContext& context) const
    {
        WrappedLines wrapped;
        for (const ReportElement& element : band.elements) {
            if (!element.wrap || (!element.printWhen.isEmpty() && !element.printWhen.isTrue(context)))
                continue;
            const double size = element.style.fontSize > 0 ? element.style.fontSize : m_layout.fontSize;
            const TextWrapper wrapper(m_layout.fontFamily, size, element.style.bold, element.style.italic);
            wrapped.insert(&element, wrapper.wrap(ValueFormatter::format(element.value.evaluate(context),
                                                                         element.format),
                                                  element.rect.width()));
        }
        return wrapped;
    }

    // What the band grows by: the most lines any wrapping element needs beyond its first.
    static double extraHeight(const ReportBand& band, const WrappedLines& wrapped)
    {
        double extra = 0;
        for (const ReportElement& element : band.elements)
            if (const auto it = wrapped.constFind(&element); it != wrapped.cend())
                extra = std::max(extra, (it->size() - 1) * element.rect.height());
        return extra;
    }

    void emitBand(const ReportBand& band, const RowContext& context, double top,
                  const WrappedLines& wrapped = {})
    {
        ++m_bandSequence;
        Page& page = m_model.pages.last();
        const QPointF origin(m_layout.page.margins.left(), m_layout.page.margins.top() + top);
        for (const ReportElement& element : band.elements) {
            if (!element.printWhen.isEmpty() && !element.printWhen.isTrue(context))
                continue;
            PageItem item;
            item.rect = element.rect.translated(origin);
            item.style = element.style;
            if (item.style.fontSize <= 0)
                item.style.fontSize = m_layout.fontSize;
            item.fill = element.fill;
            item.lineWidth = element.lineWidth;
            item.band = m_bandSequence;
            item.bandKind = band.kind;
            switch (element.kind) {
            case ReportElement::Kind::Text:
                item.text = element.text;
                fitText(item);
                break;
            case ReportElement::Kind::Field:
            case ReportElement::Kind::Expression:
                applyEmphasis(item, element, context);
                if (const auto lines = wrapped.constFind(&element); lines != wrapped.cend()) {
                    emitLines(page, item, *lines);
                    continue;
                }
                if (element.value.usesPageCount())
                    m_deferred.append(
                        {int(m_model.pages.size()) - 1, int(page.items.size()), &element, context});
                else
                    item.text = ValueFormatter::format(element.value.evaluate(context), element.format);
                if (startsWithNumber(item.text))
                    item.number = element.value.leadingNumber(context);
                else if (item.text == ValueFormatter::IncompleteMark &&
                         element.value.leadsWithMissingNumber(context))
                    item.text = ValueFormatter::NoDataMark; // a figure no ingredient has
                fitText(item);
                break;
            case ReportElement::Kind::Line:
                item.kind = PageItem::Kind::Line;
                break;
            case ReportElement::Kind::Box:
                item.kind = PageItem::Kind::Box;
                break;
            case ReportElement::Kind::Chart: {
                item.kind = PageItem::Kind::Chart;
                ChartAggregator::Result chart = chartBars(element, context);
                item.bars = std::make_shared<const QList<ChartBar>>(std::move(chart.bars));
                item.text = chart.note;
                item.references = chartReferences(element, context);
                break;
            }
            }
            page.items.append(std::move(item));
        }
    }

    // A text that does not fit its box is set smaller, down to a floor, then cut after its last
    // whole word that fits with "…"; the whole text is kept for the end of the report.
    void fitText(PageItem& item)
    {
        const double width = item.rect.width();
        const double size = item.style.fontSize;
        const TextWrapper natural(m_layout.fontFamily, size, item.style.bold, item.style.italic);
        if (item.text.isEmpty() || natural.fits(item.text, width))
            return;
        const double floor = std::max(kSmallestFontSize, size * kSmallestShare);
        // Width grows with the size: the size that fits, rounded down to a step.
        for (double smaller =
                 std::floor(size * width / natural.widthMm(item.text) * kFontSizeSteps) / kFontSizeSteps;
             smaller >= floor; smaller -= 1 / kFontSizeSteps) {
            if (TextWrapper(m_layout.fontFamily, smaller, item.style.bold, item.style.italic)
                    .fits(item.text, width)) {
                item.style.fontSize = smaller;
                return;
            }
        }
        item.style.fontSize = floor;
        if (!m_cutTexts.contains(item.text))
            m_cutTexts.append(item.text);
        item.text = TextWrapper(m_layout.fontFamily, floor, item.style.bold, item.style.italic)
                        .elide(item.text, width);
    }

    // The texts cut on the pages, whole, after everything else; the heading never ends a page.
    void placeCutTexts()
    {
        if (m_cutTexts.isEmpty())
            return;
        const double width = m_layout.page.bodySizeMm().width();
        const TextWrapper wrapper(m_layout.fontFamily, kCutTextFontSize, false, false);
        QStringList lines;
        for (const QString& text : std::as_const(m_cutTexts))
            lines += wrapper.wrap(text, width);
        placeCutTextLine(kCutTextsHeading, true, 2 * kCutTextLineMm);
        for (const QString& line : std::as_const(lines))
            placeCutTextLine(line, false, kCutTextLineMm);
    }

    void placeCutTextLine(const QString& text, bool heading, double needed)
    {
        if (!m_fresh && m_y + needed > m_bodyHeight - m_footerHeight)
            newPage(m_lastRow);
        PageItem item;
        item.rect = QRectF(m_layout.page.margins.left(), m_layout.page.margins.top() + m_y,
                           m_layout.page.bodySizeMm().width(), kCutTextLineMm);
        item.text = text;
        item.style.fontSize = kCutTextFontSize;
        item.style.bold = heading;
        item.style.color = kCutTextColor;
        item.band = ++m_bandSequence;
        item.bandKind = BandKind::List;
        m_model.pages.last().items.append(std::move(item));
        m_y += kCutTextLineMm;
        m_fresh = false;
    }

    static bool startsWithNumber(const QString& text)
    {
        return !text.isEmpty() && (text[0].isDigit() || text[0] == QLatin1Char('-'));
    }

    static void applyEmphasis(PageItem& item, const ReportElement& element, const RowContext& context)
    {
        if (!element.emphasis.isEmpty() && element.emphasis.isTrue(context)) {
            item.emphasis = true;
            item.style.bold = true;
            item.style.color = kEmphasisColor;
        }
    }

    // One item per line of a wrapped text, each under the one before.
    static void emitLines(Page& page, const PageItem& first, const QStringList& lines)
    {
        PageItem item = first;
        for (const QString& line : lines) {
            item.text = line;
            page.items.append(item);
            item.rect.translate(0, first.rect.height());
        }
    }

    // The bars of the rows of the band's scope, averaged per week or month when there are many.
    static ChartAggregator::Result chartBars(const ReportElement& element, const RowContext& context)
    {
        QList<ChartAggregator::Point> points;
        context.forEachRowInScope([&](const ExpressionContext& row) {
            points.append({element.label.evaluate(row), element.value.evaluate(row)});
        });
        return ChartAggregator::aggregate(points, element.format, element.labelFormat);
    }

    // The bounds the bars are compared with; a null bound draws no line.
    static QList<ChartReference> chartReferences(const ReportElement& element, const RowContext& context)
    {
        QList<ChartReference> references;
        const auto add = [&](const Qr::Expression& bound, const QString& name) {
            if (bound.isEmpty())
                return;
            const QVariant value = bound.evaluate(context);
            bool number = false;
            const double amount = value.toDouble(&number);
            if (!value.isNull() && number)
                references.append(
                    {amount, name + QLatin1Char(' ') + ValueFormatter::format(value, element.format)});
        };
        add(element.referenceMin, QStringLiteral("mín."));
        add(element.referenceMax, QStringLiteral("máx."));
        return references;
    }

    void fillDeferred()
    {
        for (Deferred& deferred : m_deferred)
            fillDeferred(deferred, int(m_model.pages.size()));
    }

    void fillDeferred(Deferred& deferred, int pages)
    {
        deferred.context.pages = pages;
        m_model.pages[deferred.page].items[deferred.item].text = ValueFormatter::format(
            deferred.element->value.evaluate(deferred.context), deferred.element->format);
    }

    const ReportLayout& m_layout;
    const QList<PageLayouter::Part>& m_parts;
    const PageLayouter::Options& m_options;
    const ReportData* m_data = nullptr;
    // Stable: deferred values keep pointing here.
    std::deque<QHash<QString, QVariant>> m_partParams;
    std::deque<ColumnMap> m_partColumns;
    std::deque<ReportData> m_groupedLists; // grouped lists' rows, made adjacent
    RowContext m_context;
    PageModel m_model;
    double m_bodyHeight = 0;
    double m_footerHeight = 0;
    double m_y = 0;
    double m_frameHeight = 0; // page header and column header of a page after the first
    bool m_fresh = true;
    int m_lastRow = 0;
    int m_bandSequence = 0;
    std::vector<int> m_changeLevel;
    std::vector<std::vector<int>> m_groupEnd;
    std::vector<double> m_detailHeight;
    std::vector<int> m_groupStart; // first row of the current run of each group
    std::vector<bool> m_open;      // the group's header was placed and its footer not yet
    QList<Deferred> m_deferred;
    QStringList m_cutTexts;  // whole, in the order they were first cut
    int m_deferredShown = 0; // deferred values already shown with an unknown page count
};

} // namespace

PageModel PageLayouter::layOut(const ReportLayout& layout, const ReportData& data, const TParams& params,
                               const Options& options)
{
    return layOut(layout, {Part{&data, params, QString()}}, options);
}

PageModel PageLayouter::layOut(const ReportLayout& layout, const QList<Part>& parts, const Options& options)
{
    if (parts.isEmpty())
        throw Kav::Exception(QStringLiteral("Relatório sem dados para montar."));
    return Run(layout, parts, options).run();
}

} // namespace Qr
