#include "ReportRun.h"

#include "DataCsvWriter.h"
#include "ReportCancelled.h"
#include "ReportDecimals.h"
#include "ReportHeading.h"
#include "ReportOutputs.h"
#include "ReportQuery.h"
#include "XlsxWriter.h"

#include <QRegularExpression>

namespace Qr {

namespace {

const QString kCsvOutput = QStringLiteral("csv");

// How many queries read() runs: the report's and its lists', per block.
int queryCount(const ReportLayout& layout, int blockCount)
{
    int perBlock = 1;
    int once = 0;
    for (const ReportList& list : layout.lists)
        ++(layout.listFollowsBlocks(list) ? perBlock : once);
    return perBlock * blockCount + once;
}

// The numbered series among the declared parameters, each with how many it has from 1 on.
QHash<QString, int> declaredSeries(const QList<ParameterDeclaration>& declarations)
{
    static const QRegularExpression numbered(QStringLiteral("^(.*\\D)([1-9][0-9]*)$"));
    QSet<QString> names;
    QSet<QString> prefixes;
    for (const ParameterDeclaration& declaration : declarations) {
        names.insert(declaration.name.toUpper());
        if (const QRegularExpressionMatch match = numbered.match(declaration.name); match.hasMatch())
            prefixes.insert(match.captured(1).toUpper());
    }
    QHash<QString, int> series;
    for (const QString& prefix : prefixes) {
        int count = 0;
        while (names.contains(prefix + QString::number(count + 1)))
            ++count;
        if (count > 0)
            series.insert(prefix, count);
    }
    return series;
}

} // namespace

ReportRun::ReportRun(const QSqlDatabase& database, const ReportLayout& layout, const TParams& params,
                     const QDateTime& now)
    : m_database(database), m_layout(layout), m_params(params), m_now(now)
{}

bool ReportRun::told(const QString& step, int done, int total) const
{
    return !m_progress || m_progress(step, done, total);
}

ReportData ReportRun::query(const QString& sql, const TParams& params, int done, int total) const
{
    if (!told(ReadingStep, done, total))
        throw ReportCancelled();
    return ReportQuery::run(m_database, sql, params, [&] { return told(ReadingStep, done, total); });
}

ReportSnapshot ReportRun::read() const
{
    ReportSnapshot snapshot;
    snapshot.layout = m_layout;
    snapshot.now = m_now;
    const std::optional<ColumnBlocks>& blocks = m_layout.columnBlocks;
    const int values = blocks ? blocks->valueCount(m_params) : 0;
    const int blockCount = blocks ? blocks->blockCount(m_params) : 1;
    const int total = queryCount(m_layout, blockCount);
    int done = 0;
    for (int block = 0; block < blockCount; ++block) {
        TParams blockParams = m_params;
        if (blocks)
            blocks->applyBlock(blockParams, block);
        ReportData& data = snapshot.data.emplace_back(query(m_layout.query, blockParams, done++, total));
        for (const ReportList& list : m_layout.lists) {
            const bool follows = m_layout.listFollowsBlocks(list);
            data.lists.push_back(follows || block == 0
                                     ? query(list.query, follows ? blockParams : m_params, done++, total)
                                     : ReportData());
        }
        snapshot.params.push_back(blockParams);
        snapshot.blockRanges.push_back(blocks ? blocks->blockRange(block, values) : QString());
    }
    return snapshot;
}

PageModel ReportRun::layOut(const ReportSnapshot& snapshot) const
{
    PageLayouter::Options options;
    options.now = snapshot.now;
    if (m_progress)
        options.progress = [this](int done, int total) { return told(LayingOutStep, done, total); };
    return PageLayouter::layOut(snapshot.layout, snapshot.parts(), options);
}

PageModel ReportRun::pages() const
{
    return layOut(read());
}

void ReportRun::save(const QString& fileName, const QString& outputName) const
{
    const ReportOutput& output = ReportOutputs::byName(outputName);
    const bool hasExport = !m_layout.exportQuery.isEmpty();
    // A layout that declares its data export gives a CSV its rows, not printed lines.
    if (output.name == kCsvOutput && hasExport) {
        DataCsvWriter::writeFile(query(m_layout.exportQuery, m_params, 0, 1), fileName);
        return;
    }
    const ReportSnapshot snapshot = read();
    const PageModel model = layOut(snapshot);
    if (!output.writesPages()) {
        const ReportData rows =
            hasExport ? query(m_layout.exportQuery, m_params, 0, 1) : snapshot.data.front();
        XlsxWriter::writeFile(rows, ReportHeading::of(model), ReportDecimals::of(m_layout), fileName);
        return;
    }
    RenderTarget target;
    target.fileName = fileName;
    if (m_progress)
        target.progress = [this](int done, int total) { return told(WritingStep, done, total); };
    output.createRenderer()->render(model, target);
}

std::optional<UnprintedValues> ReportRun::unprinted() const
{
    const QHash<QString, int> series = declaredSeries(m_layout.parameters);
    for (auto it = series.cbegin(); it != series.cend(); ++it) {
        if (m_layout.columnBlocks &&
            m_layout.columnBlocks->prefix.compare(it.key(), Qt::CaseInsensitive) == 0)
            continue;
        const int bound = ColumnBlocks{it.key(), it.value()}.valueCount(m_params);
        if (bound > it.value())
            return UnprintedValues{it.key(), it.value(), bound};
    }
    return std::nullopt;
}

} // namespace Qr
