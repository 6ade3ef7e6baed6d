#include "PageLayouter.h"

#include "ColumnMap.h"
#include "ExpressionContext.h"
#include "ReportCancelled.h"
#include "ReportData.h"
#include "ReportLayout.h"
#include "TParams.h"
#include "ValueFormatter.h"

#include <QHash>

namespace {

// A value shown with emphasis (out of its range) is bold in this colour.
const QColor kEmphasisColor(0xB0, 0x00, 0x00);

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
        for (const Expression* expression :
             {&element.value, &element.printWhen, &element.emphasis, &element.label})
            expression->checkColumns(columns);
    }
}

class Run
{
public:
    Run(const ReportLayout& layout, const ReportData& data, const TParams& params,
        const PageLayouter::Options& options)
        : m_layout(layout), m_data(data), m_columns(data.columns), m_options(options)
    {
        for (const TParam& param : params)
            m_params.insert(param.Name().toUpper(), param.Value());
        m_context.data = &m_data;
        m_context.columns = &m_columns;
        m_context.params = &m_params;
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
        for (const ReportBand* band : m_layout.bands())
            checkBand(*band, m_data.columns);
        for (const ReportGroup& group : m_layout.groups)
            group.key.checkColumns(m_data.columns);
        computeGroups();

        const int rowCount = int(m_data.rows.size());
        const int groupCount = int(m_layout.groups.size());
        QList<int> groupStart(groupCount, 0);
        startPage(0);
        for (int i = 0; i < rowCount; ++i) {
            const int level = m_changeLevel[i];
            if (i > 0) {
                for (int g = groupCount - 1; g >= level; --g)
                    placeGroupBand(m_layout.groups[g].footer, i - 1, groupStart[g], i);
            }
            for (int g = level; g < groupCount; ++g) {
                groupStart[g] = i;
                if (m_layout.groups[g].pageBreak && i > 0 && !m_fresh)
                    newPage(i);
                placeGroupBand(m_layout.groups[g].header, i, i, m_groupEnd[g][i]);
            }
            if (m_layout.detail)
                place(*m_layout.detail, contextFor(i, 0, rowCount));
            if ((i + 1) % PageLayouter::ProgressStep == 0)
                reportProgress(i + 1);
        }
        for (int g = groupCount - 1; g >= 0 && rowCount > 0; --g)
            placeGroupBand(m_layout.groups[g].footer, rowCount - 1, groupStart[g], rowCount);
        if (m_layout.summary)
            place(*m_layout.summary, contextFor(rowCount - 1, 0, rowCount));
        finishPage();
        reportProgress(rowCount);
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

    void reportProgress(int done)
    {
        if (m_options.progress && !m_options.progress(done, int(m_data.rows.size())))
            throw ReportCancelled();
    }

    // changeLevel[i]: the outermost group whose key changes at row i (every group starts at row 0;
    // the number of groups when none changes). groupEnd[g][i]: the row after the group g that
    // contains row i.
    void computeGroups()
    {
        const int rowCount = int(m_data.rows.size());
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
        const RowContext context = contextFor(nextRow, 0, int(m_data.rows.size()));
        if (m_model.pages.size() == 1 && m_layout.titleBand)
            placeAt(*m_layout.titleBand, context);
        if (m_layout.pageHeader)
            placeAt(*m_layout.pageHeader, context);
        if (m_layout.columnHeader)
            placeAt(*m_layout.columnHeader, context);
        m_fresh = true;
        m_lastRow = nextRow;
    }

    void finishPage()
    {
        if (!m_layout.pageFooter)
            return;
        const RowContext context = contextFor(m_lastRow, 0, int(m_data.rows.size()));
        if (m_layout.pageFooter->printWhen.isEmpty() || m_layout.pageFooter->printWhen.isTrue(context))
            emitBand(*m_layout.pageFooter, context, m_bodyHeight - m_footerHeight);
    }

    void newPage(int nextRow)
    {
        finishPage();
        startPage(nextRow);
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
        if (m_y + band.height > m_bodyHeight - m_footerHeight && !m_fresh) {
            newPage(context.row);
            context.page = int(m_model.pages.size());
        }
        emitBand(band, context, m_y);
        m_y += band.height;
        m_fresh = false;
        m_lastRow = context.row;
    }

    void emitBand(const ReportBand& band, const RowContext& context, double top)
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
                break;
            case ReportElement::Kind::Field:
            case ReportElement::Kind::Expression:
                if (element.value.usesPageCount())
                    m_deferred.append(
                        {int(m_model.pages.size()) - 1, int(page.items.size()), &element, context});
                else
                    item.text = ValueFormatter::format(element.value.evaluate(context), element.format);
                if (!element.emphasis.isEmpty() && element.emphasis.isTrue(context)) {
                    item.style.bold = true;
                    item.style.color = kEmphasisColor;
                }
                break;
            case ReportElement::Kind::Line:
                item.kind = PageItem::Kind::Line;
                break;
            case ReportElement::Kind::Box:
                item.kind = PageItem::Kind::Box;
                break;
            case ReportElement::Kind::Chart:
                item.kind = PageItem::Kind::Chart;
                item.bars = chartBars(element, context);
                break;
            }
            page.items.append(std::move(item));
        }
    }

    std::shared_ptr<const QList<ChartBar>> chartBars(const ReportElement& element,
                                                     const RowContext& context) const
    {
        auto bars = std::make_shared<QList<ChartBar>>();
        context.forEachRowInScope([&](const ExpressionContext& row) {
            const QVariant value = element.value.evaluate(row);
            bars->append({ValueFormatter::format(element.label.evaluate(row), element.labelFormat),
                          value.isNull() ? 0.0 : value.toDouble(),
                          ValueFormatter::format(value, element.format)});
        });
        return bars;
    }

    void fillDeferred()
    {
        for (Deferred& deferred : m_deferred) {
            deferred.context.pages = int(m_model.pages.size());
            m_model.pages[deferred.page].items[deferred.item].text = ValueFormatter::format(
                deferred.element->value.evaluate(deferred.context), deferred.element->format);
        }
    }

    const ReportLayout& m_layout;
    const ReportData& m_data;
    const ColumnMap m_columns;
    const PageLayouter::Options& m_options;
    QHash<QString, QVariant> m_params;
    RowContext m_context;
    PageModel m_model;
    double m_bodyHeight = 0;
    double m_footerHeight = 0;
    double m_y = 0;
    bool m_fresh = true;
    int m_lastRow = 0;
    int m_bandSequence = 0;
    std::vector<int> m_changeLevel;
    std::vector<std::vector<int>> m_groupEnd;
    QList<Deferred> m_deferred;
};

} // namespace

PageModel PageLayouter::layOut(const ReportLayout& layout, const ReportData& data, const TParams& params,
                               const Options& options)
{
    return Run(layout, data, params, options).run();
}
