// Laying a report out into pages: groups and their sums, the frame of every page, page numbers,
// page breaks, conditional bands and emphasis, charts, cancelling.

#include "BackgroundLayout.h"
#include "ChartAggregator.h"
#include "ChartGeometry.h"
#include "ChartScale.h"
#include "KavException.h"
#include "LayoutReader.h"
#include "PageLayouter.h"
#include "PagePainter.h"
#include "ReportCancelled.h"
#include "ReportData.h"
#include "TextWrapper.h"
#include "ValueFormatter.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>
#include <thread>

using namespace Qr;

namespace {

const QString kLayout = QStringLiteral(KAV_TEST_DIR "/layouts/grouped.QR2");
const QStringList kServices = {QStringLiteral("Almoço"), QStringLiteral("Lanche")};
constexpr int kDishesPerService = 4;
constexpr double kLimit = 400.0;

// Days from 1 March, each with both services and four dishes; energy varies by row.
ReportData menu(int days)
{
    ReportData data;
    data.columns = {QStringLiteral("DIA"),  QStringLiteral("SERVICO"), QStringLiteral("PRATO"),
                    QStringLiteral("KCAL"), QStringLiteral("PROT"),    QStringLiteral("INC")};
    int row = 0;
    for (int day = 0; day < days; ++day) {
        for (const QString& service : kServices) {
            for (int dish = 0; dish < kDishesPerService; ++dish, ++row) {
                data.rows.append({QDate(2025, 3, 1).addDays(day), service,
                                  QStringLiteral("Prato %1").arg(row), 100.0 + (row * 37) % 350 + 0.25,
                                  2.5 * dish, row == 5 ? QStringLiteral("S") : QStringLiteral("N")});
            }
        }
    }
    return data;
}

TParams params(const ReportLayout& layout, const QString& ndpcal = QStringLiteral("N"))
{
    TParams result = layout.createParams();
    result.ParamByName(QStringLiteral("P_CENTRAL")).setValue(QStringLiteral("0001"));
    result.ParamByName(QStringLiteral("P_NDPCAL")).setValue(ndpcal);
    result.ParamByName(QStringLiteral("P_LIMITE")).setValue(kLimit);
    return result;
}

PageModel layOut(const ReportLayout& layout, const ReportData& data, const TParams& values)
{
    return PageLayouter::layOut(layout, data, values, PageLayouter::Options());
}

QList<const PageItem*> itemsOf(const PageModel& model, BandKind kind)
{
    QList<const PageItem*> items;
    for (const Page& page : model.pages)
        for (const PageItem& item : page.items)
            if (item.bandKind == kind && item.kind == PageItem::Kind::Text)
                items.append(&item);
    return items;
}

// The bands that carry the report's body on a page, in order: one entry per band printed.
QList<BandKind> bodyBands(const Page& page)
{
    QList<BandKind> kinds;
    int band = -1;
    for (const PageItem& item : page.items) {
        if (item.band == band)
            continue;
        band = item.band;
        if (item.bandKind != BandKind::Title && item.bandKind != BandKind::PageHeader &&
            item.bandKind != BandKind::ColumnHeader && item.bandKind != BandKind::PageFooter)
            kinds.append(item.bandKind);
    }
    return kinds;
}

QStringList textsOf(const Page& page, BandKind kind)
{
    QStringList texts;
    for (const PageItem& item : page.items)
        if (item.bandKind == kind && item.kind == PageItem::Kind::Text)
            texts.append(item.text);
    return texts;
}

// The grouped layout with reference bounds on its chart.
ReportLayout withChartReferences(const QString& minimum, const QString& maximum)
{
    QFile file(kLayout);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray xml = file.readAll();
    xml.replace(R"(label="PRATO" format="0"/>)",
                QStringLiteral(R"(label="PRATO" format="0" reference-min="%1" reference-max="%2"/>)")
                    .arg(minimum, maximum)
                    .toUtf8());
    return LayoutReader::read(xml, kLayout);
}

const PageItem* chartOf(const PageModel& model)
{
    for (const PageItem& item : model.pages.last().items)
        if (item.kind == PageItem::Kind::Chart)
            return &item;
    return nullptr;
}

// Rows of a picture, from the top, that hold a pixel of about this colour.
QList<int> rowsWithColour(const QImage& image, const QColor& colour)
{
    constexpr int kTolerance = 40;
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                    std::abs(pixel.blue() - colour.blue()) <
                kTolerance) {
                rows.append(y);
                break;
            }
        }
    }
    return rows;
}

ReportSnapshot snapshotOf(const ReportLayout& layout, const ReportData& data, const TParams& values)
{
    ReportSnapshot snapshot;
    snapshot.layout = layout;
    snapshot.data = {data};
    snapshot.params = {values};
    snapshot.now = QDateTime(QDate(2025, 4, 1), QTime(8, 0));
    return snapshot;
}

// Generous bound for a worker on a loaded machine; nothing is asserted about the time taken.
constexpr int kWorkerWaitMs = 60 * 1000;

} // namespace

class TstQrPageLayout : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_layout = LayoutReader::readFile(kLayout); }
    void groupFootersSumTheirOwnRows();
    void summaryAveragesOverDays();
    void everyPageHasItsFrameAndNumberOfTotal();
    void bandsStayInsidePageBody();
    void groupPageBreakStartsEachDayOnNewPage();
    void printWhenFollowsParameter_data();
    void printWhenFollowsParameter();
    void emphasisMarksValuesOverLimit();
    void incompleteMarkOnlyOnItsDay();
    void chartHasOneBarPerRow();
    void emptyResultGivesOnePage();
    void continuationPagesRepeatTheDayHeading();
    void noPageEndsOnAHeadingOrStartsWithATotal();
    void listPrintsItsOwnRowsAfterTheSummary();
    void longTextWrapsAndTheBandGrows();
    void chartAveragesPerWeekAndMonthPastAMonth_data();
    void chartAveragesPerWeekAndMonthPastAMonth();
    void chartScaleHasRoundTicks();
    void chartNamesItsReferencesClearOfTheBars_data();
    void chartNamesItsReferencesClearOfTheBars();
    void chartCarriesTheReferenceBoundsThatAreSet_data();
    void chartCarriesTheReferenceBoundsThatAreSet();
    void referenceOverTheBarsIsDrawnAboveThem();
    void cancelStopsTheLayout();
    void pagesHandedOverBeforeACancelAreTheReportsFirstPages();
    void backgroundLayoutClosedMidwayEndsWithoutFinishing();
    void backgroundLayoutReportsAFaultInsteadOfPages();
    void unknownColumnIsAnError();
    void sameLayoutRunsWithAnyColumnOrderOnAnyThread();
    void wrappedNoteKeepsEveryWordAtItsBreaks_data();
    void wrappedNoteKeepsEveryWordAtItsBreaks();
    void textWiderThanItsBoxShrinksThenEndsWithAnEllipsis_data();
    void textWiderThanItsBoxShrinksThenEndsWithAnEllipsis();
    void groupedListPrintsOneBandPerKey();
    void listHeadingRepeatsOnEveryPageAndNeverEndsOne();

private:
    ReportLayout m_layout;
};

void TstQrPageLayout::groupFootersSumTheirOwnRows()
{
    const ReportData data = menu(3);
    const PageModel model = layOut(m_layout, data, params(m_layout));
    // Expected sums computed from the rows: per day, and per day and service.
    QStringList dayTotals;
    QStringList serviceTotals;
    for (int day = 0; day < 3; ++day) {
        double daySum = 0;
        for (int s = 0; s < kServices.size(); ++s) {
            double serviceSum = 0;
            for (int d = 0; d < kDishesPerService; ++d)
                serviceSum += data.rows[(day * kServices.size() + s) * kDishesPerService + d][3].toDouble();
            serviceTotals.append(ValueFormatter::format(serviceSum, QStringLiteral("0.0")));
            daySum += serviceSum;
        }
        dayTotals.append(ValueFormatter::format(daySum, QStringLiteral("0.0")));
    }
    QStringList footerTexts;
    for (const PageItem* item : itemsOf(model, BandKind::GroupFooter))
        footerTexts.append(item->text);
    // Service footers come before their day's footer: service, service, day, ...
    QStringList expected;
    for (int day = 0; day < 3; ++day) {
        for (int s = 0; s < kServices.size(); ++s)
            expected << QStringLiteral("Soma ") + kServices[s] << serviceTotals[day * kServices.size() + s];
        expected << QStringLiteral("Total do dia") << dayTotals[day]
                 << (day == 0 ? QStringLiteral("*") : QString());
    }
    QCOMPARE(footerTexts, expected);

    QStringList headers;
    for (const PageItem* item : itemsOf(model, BandKind::GroupHeader))
        headers.append(item->text);
    QCOMPARE(headers.mid(0, 4), QStringList({QStringLiteral("01/03/2025"), QStringLiteral("8 pratos"),
                                             QStringLiteral("Almoço"), QStringLiteral("Lanche")}));
}

void TstQrPageLayout::summaryAveragesOverDays()
{
    const ReportData data = menu(5);
    double total = 0;
    for (const QVariantList& row : data.rows)
        total += row[3].toDouble();
    const PageModel model = layOut(m_layout, data, params(m_layout));
    const QStringList summary = textsOf(model.pages.last(), BandKind::Summary);
    QCOMPARE(summary.first(),
             QStringLiteral("Média por dia: ") + ValueFormatter::format(total / 5, QStringLiteral("0.0")));
}

void TstQrPageLayout::everyPageHasItsFrameAndNumberOfTotal()
{
    const PageModel model = layOut(m_layout, menu(20), params(m_layout));
    QVERIFY2(model.pages.size() >= 3, "the fixture should need several pages");
    for (int i = 0; i < model.pages.size(); ++i) {
        const Page& page = model.pages[i];
        QCOMPARE(textsOf(page, BandKind::PageFooter),
                 QStringList(QStringLiteral("Página %1 de %2").arg(i + 1).arg(model.pages.size())));
        QCOMPARE(textsOf(page, BandKind::PageHeader), QStringList(QStringLiteral("Central 0001")));
        QCOMPARE(textsOf(page, BandKind::ColumnHeader),
                 QStringList({QStringLiteral("Prato"), QStringLiteral("kcal")}));
        QCOMPARE(textsOf(page, BandKind::Title).size(), i == 0 ? 1 : 0);
    }
    QCOMPARE(textsOf(model.pages.last(), BandKind::Summary).size(), 1); // the summary closes the last page
}

void TstQrPageLayout::bandsStayInsidePageBody()
{
    const PageModel model = layOut(m_layout, menu(20), params(m_layout));
    const double bottom = m_layout.page.pageSizeMm().height() - m_layout.page.margins.bottom();
    const double footerTop = bottom - m_layout.pageFooter->height;
    int details = 0;
    for (const Page& page : model.pages) {
        double lastDetailBottom = 0;
        for (const PageItem& item : page.items) {
            QVERIFY(item.rect.bottom() <= bottom + 0.01);
            if (item.bandKind != BandKind::PageFooter)
                QVERIFY2(item.rect.bottom() <= footerTop + 0.01, qPrintable(item.text));
            if (item.bandKind == BandKind::Detail && item.rect.left() < 50) {
                ++details;
                QVERIFY(item.rect.top() >= lastDetailBottom - 0.01); // rows never overlap
                lastDetailBottom = item.rect.bottom();
            }
        }
    }
    QCOMPARE(details, 20 * kServices.size() * kDishesPerService);
}

void TstQrPageLayout::groupPageBreakStartsEachDayOnNewPage()
{
    m_layout.groups[0].pageBreak = true;
    const PageModel model = layOut(m_layout, menu(3), params(m_layout));
    QCOMPARE(model.pages.size(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(textsOf(model.pages[i], BandKind::GroupHeader).first(),
                 QDate(2025, 3, 1).addDays(i).toString(QStringLiteral("dd/MM/yyyy")));
}

void TstQrPageLayout::printWhenFollowsParameter_data()
{
    QTest::addColumn<QString>("ndpcal");
    QTest::addColumn<bool>("shown");
    QTest::addRow("asked") << "S" << true;
    QTest::addRow("not asked") << "N" << false;
    QTest::addRow("empty") << "" << false;
}

void TstQrPageLayout::printWhenFollowsParameter()
{
    QFETCH(QString, ndpcal);
    QFETCH(bool, shown);
    const PageModel model = layOut(m_layout, menu(1), params(m_layout, ndpcal));
    QCOMPARE(textsOf(model.pages.last(), BandKind::Summary).contains(QStringLiteral("NDpCal% calculado")),
             shown);
}

void TstQrPageLayout::emphasisMarksValuesOverLimit()
{
    const ReportData data = menu(2);
    const PageModel model = layOut(m_layout, data, params(m_layout));
    int checked = 0;
    for (const PageItem* item : itemsOf(model, BandKind::Detail)) {
        if (item->style.align != ElementStyle::Align::Right)
            continue;
        const double value = QLocale(QLocale::Portuguese, QLocale::Brazil).toDouble(item->text);
        QCOMPARE(item->style.bold, value > kLimit);
        QCOMPARE(item->style.color != QColor(Qt::black), value > kLimit);
        ++checked;
    }
    QCOMPARE(checked, int(data.rows.size()));
}

void TstQrPageLayout::incompleteMarkOnlyOnItsDay()
{
    // Row 5 (first day) is incomplete: only the first day's total carries the mark.
    const PageModel model = layOut(m_layout, menu(2), params(m_layout));
    QStringList marks;
    for (const PageItem* item : itemsOf(model, BandKind::GroupFooter))
        if (item->rect.left() > 139 && item->rect.left() < 141)
            marks.append(item->text);
    QCOMPARE(marks, QStringList({QStringLiteral("*"), QString()}));
}

void TstQrPageLayout::chartHasOneBarPerRow()
{
    const ReportData data = menu(1);
    const PageModel model = layOut(m_layout, data, params(m_layout));
    const PageItem* chart = nullptr;
    for (const PageItem& item : model.pages.last().items)
        if (item.kind == PageItem::Kind::Chart)
            chart = &item;
    QVERIFY(chart);
    QCOMPARE(chart->bars->size(), data.rows.size());
    for (int i = 0; i < data.rows.size(); ++i) {
        QCOMPARE(chart->bars->at(i).label, data.rows[i][2].toString());
        QCOMPARE(chart->bars->at(i).value, data.rows[i][3].toDouble());
        QCOMPARE(chart->bars->at(i).valueText, ValueFormatter::format(data.rows[i][3], QStringLiteral("0")));
    }
}

void TstQrPageLayout::chartNamesItsReferencesClearOfTheBars_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QList<double>>("references");
    // The last bar the tallest, where a name at the lines' right end used to sit on it.
    QTest::addRow("five days, minimum and maximum")
        << QList<double>{980, 1048.6, 1117.2, 1185.8, 1254.4} << QList<double>{700, 900};
    QTest::addRow("a line at the tallest bar") << QList<double>{300, 310, 329} << QList<double>{329};
    QTest::addRow("bounds close together") << QList<double>{650, 700, 720, 710} << QList<double>{700, 705};
    QList<double> month;
    for (int day = 0; day < ChartAggregator::MaxDailyBars; ++day)
        month.append(500 + 20 * day);
    QTest::addRow("a month of bars") << month << QList<double>{700, 900};
    QTest::addRow("one bar") << QList<double>{1025} << QList<double>{329};
}

// The name of each reference line stands right of the bars: never over a bar or its value, inside
// the chart, clear of the other names; every bar keeps its slot inside the plot.
void TstQrPageLayout::chartNamesItsReferencesClearOfTheBars()
{
    QFETCH(QList<double>, values);
    QFETCH(QList<double>, references);
    PageItem chart;
    chart.kind = PageItem::Kind::Chart;
    chart.rect = QRectF(10, 40, 277, 60);
    chart.style.fontSize = 6;
    QList<ChartBar> bars;
    for (int i = 0; i < values.size(); ++i)
        bars.append({QStringLiteral("%1/03").arg(i + 1, 2, 10, QLatin1Char('0')), values[i],
                     ValueFormatter::format(values[i], QStringLiteral("#,##0"))});
    chart.bars = std::make_shared<const QList<ChartBar>>(bars);
    for (const double value : references)
        chart.references.append({value, QStringLiteral("mín. ") + ValueFormatter::format(value, "#,##0")});
    const ChartGeometry geometry(chart,
                                 ChartGeometry::Metrics::of(QStringLiteral("DejaVu Sans"), chart.style));
    QCOMPARE(geometry.bars.size(), values.size());
    QCOMPARE(geometry.references.size(), references.size());
    for (int r = 0; r < geometry.references.size(); ++r) {
        const QRectF name = geometry.references[r].name.rect;
        QVERIFY2(chart.rect.contains(name), qPrintable(geometry.references[r].name.text));
        for (const ChartGeometry::Bar& bar : geometry.bars) {
            QVERIFY(!name.intersects(bar.rect));
            QVERIFY(bar.value.text.isEmpty() || !name.intersects(bar.value.rect));
            QVERIFY(geometry.plot.adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(bar.rect));
        }
        if (r > 0)
            QVERIFY(!name.intersects(geometry.references[r - 1].name.rect));
    }
}

void TstQrPageLayout::chartCarriesTheReferenceBoundsThatAreSet_data()
{
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QList<double>>("values");
    QTest::addRow("range") << "150"
                           << ":P_LIMITE" << QStringList{"mín. 150", "máx. 400"} << QList<double>{150, 400};
    QTest::addRow("maximum only") << "null"
                                  << ":P_LIMITE" << QStringList{"máx. 400"} << QList<double>{400};
    QTest::addRow("minimum of a column") << "min(KCAL) + 0.5"
                                         << "" << QStringList{"mín. 101"} << QList<double>{100.75};
    QTest::addRow("no reference") << "null"
                                  << "null" << QStringList{} << QList<double>{};
}

void TstQrPageLayout::chartCarriesTheReferenceBoundsThatAreSet()
{
    QFETCH(QString, minimum);
    QFETCH(QString, maximum);
    QFETCH(QStringList, labels);
    QFETCH(QList<double>, values);
    const ReportLayout layout = withChartReferences(minimum, maximum);
    const PageModel model = layOut(layout, menu(1), params(layout));
    const PageItem* chart = chartOf(model);
    QVERIFY(chart);
    QStringList foundLabels;
    QList<double> foundValues;
    for (const ChartReference& reference : chart->references) {
        foundLabels.append(reference.label);
        foundValues.append(reference.value);
    }
    QCOMPARE(foundLabels, labels);
    QCOMPARE(foundValues, values);
}

void TstQrPageLayout::referenceOverTheBarsIsDrawnAboveThem()
{
    // A maximum far over the tallest bar lifts the scale: the line is drawn, above every bar.
    constexpr double kPixelsPerMm = 4;
    const QColor bars(0x4a, 0x7a, 0xb5);
    const QColor reference(0xc0, 0x39, 0x2b);
    const auto picture = [&](const QString& maximum) {
        const ReportLayout layout = withChartReferences(QString(), maximum);
        const PageModel model = layOut(layout, menu(1), params(layout));
        const QSizeF sheet = model.page.pageSizeMm() * kPixelsPerMm;
        QImage image(sheet.toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PagePainter(model).paint(painter, model.pages.last(), kPixelsPerMm);
        return image;
    };
    const QImage plain = picture(QString());
    QVERIFY(!rowsWithColour(plain, bars).isEmpty());
    QVERIFY(rowsWithColour(plain, reference).isEmpty());
    const QImage lifted = picture(QStringLiteral("2000"));
    const QList<int> lineRows = rowsWithColour(lifted, reference);
    const QList<int> barRows = rowsWithColour(lifted, bars);
    QVERIFY(!lineRows.isEmpty());
    QVERIFY2(
        lineRows.last() < barRows.first(),
        qPrintable(QStringLiteral("line at %1, bars from %2").arg(lineRows.last()).arg(barRows.first())));
    // The bars shrink to make room under the line.
    QVERIFY(barRows.first() > rowsWithColour(plain, bars).first());
}

void TstQrPageLayout::emptyResultGivesOnePage()
{
    const PageModel model = layOut(m_layout, menu(0), params(m_layout));
    QCOMPARE(model.pages.size(), 1);
    QCOMPARE(textsOf(model.pages[0], BandKind::Title), QStringList(QStringLiteral("Teste de grupos")));
    QCOMPARE(textsOf(model.pages[0], BandKind::Summary).first(), QStringLiteral("Média por dia: "));
    QCOMPARE(textsOf(model.pages[0], BandKind::PageFooter), QStringList(QStringLiteral("Página 1 de 1")));
    QVERIFY(itemsOf(model, BandKind::GroupHeader).isEmpty());
}

void TstQrPageLayout::continuationPagesRepeatTheDayHeading()
{
    const PageModel model = layOut(m_layout, menu(20), params(m_layout));
    QVERIFY2(model.pages.size() >= 3, "the fixture should need several pages");
    int continued = 0;
    for (int p = 1; p < model.pages.size(); ++p) {
        const Page& page = model.pages[p];
        QVERIFY(!bodyBands(page).isEmpty());
        QCOMPARE(bodyBands(page).first(), BandKind::GroupHeader);
        // The heading names a day; it says "(continuação)" exactly when the day began on an earlier page.
        const QStringList heading = textsOf(page, BandKind::GroupHeader);
        const QString day = heading.first();
        bool seenBefore = false;
        for (int q = 0; q < p; ++q)
            seenBefore = seenBefore || textsOf(model.pages[q], BandKind::GroupHeader).contains(day);
        QCOMPARE(heading.mid(0, 3).contains(QStringLiteral("(continuação)")), seenBefore);
        continued += seenBefore ? 1 : 0;
    }
    QVERIFY(continued > 0);
    QCOMPARE(itemsOf(model, BandKind::Detail).size(), 20 * kServices.size() * kDishesPerService * 2);
}

void TstQrPageLayout::noPageEndsOnAHeadingOrStartsWithATotal()
{
    // From 1 to 30 days the page breaks fall at every place of a day.
    int breaks = 0;
    for (int days = 1; days <= 30; ++days) {
        const PageModel model = layOut(m_layout, menu(days), params(m_layout));
        for (int p = 0; p < model.pages.size(); ++p) {
            const QList<BandKind> body = bodyBands(model.pages[p]);
            if (p + 1 < model.pages.size()) {
                ++breaks;
                QVERIFY2(body.last() != BandKind::GroupHeader, qPrintable(QString::number(days)));
            }
            if (p > 0) {
                // After the repeated day heading comes a service heading or a dish, never a total;
                // a page without dishes holds the summary alone.
                // The summary takes the last dish and its totals with it.
                const qsizetype first = body.indexOf(BandKind::Detail);
                QVERIFY2(first > 0 && !body.mid(0, first).contains(BandKind::GroupFooter) &&
                             !body.mid(0, first).contains(BandKind::Summary),
                         qPrintable(QString::number(days)));
            }
        }
    }
    QVERIFY(breaks > 30);
}

void TstQrPageLayout::listPrintsItsOwnRowsAfterTheSummary()
{
    ReportData data = menu(1);
    ReportData notes;
    notes.columns = {QStringLiteral("NOTA")};
    const int lines = 70; // more than a page holds: the list goes on on a new page
    for (int i = 1; i <= lines; ++i)
        notes.rows.append({QStringLiteral("Nota %1").arg(i)});
    data.lists.push_back(notes);
    const PageModel model = layOut(m_layout, data, params(m_layout));
    QStringList printed;
    for (const PageItem* item : itemsOf(model, BandKind::List))
        printed.append(item->text);
    QCOMPARE(printed.size(), lines);
    QCOMPARE(printed.first(), QStringLiteral("Nota 1"));
    QCOMPARE(printed.last(), QStringLiteral("Nota %1").arg(lines));
    QVERIFY(model.pages.size() >= 2);
    // The summary comes before the first note.
    const QList<BandKind> first = bodyBands(model.pages.first());
    QVERIFY(first.indexOf(BandKind::Summary) < first.indexOf(BandKind::List));
    // Without rows the list prints nothing.
    data.lists.front().rows.clear();
    QVERIFY(itemsOf(layOut(m_layout, data, params(m_layout)), BandKind::List).isEmpty());
}

void TstQrPageLayout::longTextWrapsAndTheBandGrows()
{
    ReportData data = menu(1);
    ReportData notes;
    notes.columns = {QStringLiteral("NOTA")};
    QStringList words;
    for (int i = 1; i <= 120; ++i)
        words.append(QStringLiteral("alimento%1").arg(i));
    const QString longNote = words.join(QLatin1Char(' '));
    notes.rows = {{longNote}, {QStringLiteral("Nota curta")}};
    data.lists.push_back(notes);
    const PageModel model = layOut(m_layout, data, params(m_layout));
    const QList<const PageItem*> items = itemsOf(model, BandKind::List);
    QVERIFY2(items.size() >= 4, qPrintable(QString::number(items.size())));
    // Every word is printed once, in order, none cut; each line lies under the one before, and
    // the next note under the last line.
    QStringList printed;
    for (int i = 0; i + 1 < items.size(); ++i) {
        printed.append(items[i]->text);
        if (items[i + 1]->rect.top() > items[i]->rect.top())
            QCOMPARE(items[i + 1]->rect.top(), items[i]->rect.bottom());
        QVERIFY(items[i]->text.size() < longNote.size());
    }
    QCOMPARE(printed.join(QLatin1Char(' ')), longNote);
    QCOMPARE(items.last()->text, QStringLiteral("Nota curta"));
}

void TstQrPageLayout::chartAveragesPerWeekAndMonthPastAMonth_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("bars");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("firstLabel");
    // From Monday 3 March 2025, every day: 31 days stay days; 35 days are 5 weeks; a year of
    // days is 12 months (53 weeks would not fit).
    QTest::addRow("a month") << 31 << 31 << ""
                             << "03/03";
    QTest::addRow("five weeks") << 35 << 5 << "média por dia de cada semana (a partir da segunda-feira)"
                                << "03/03";
    QTest::addRow("a year") << 365 << 13 << "média por dia de cada mês"
                            << "03/2025";
}

void TstQrPageLayout::chartAveragesPerWeekAndMonthPastAMonth()
{
    QFETCH(int, days);
    QFETCH(int, bars);
    QFETCH(QString, note);
    QFETCH(QString, firstLabel);
    QList<ChartAggregator::Point> points;
    for (int day = 0; day < days; ++day)
        points.append(
            {QDate(2025, 3, 3).addDays(day), day % 7 == 6 ? QVariant() : QVariant(100.0 + day % 7)});
    const ChartAggregator::Result result =
        ChartAggregator::aggregate(points, QStringLiteral("0.0"), QStringLiteral("dd/MM"));
    QCOMPARE(result.bars.size(), bars);
    QCOMPARE(result.note, note);
    QCOMPARE(result.bars.first().label, firstLabel);
    if (days == 35) {
        // Monday to Saturday 100 to 105, Sunday unknown: a week's mean is 102.5.
        QCOMPARE(result.bars.first().value, 102.5);
        QCOMPARE(result.bars.first().valueText, QStringLiteral("102,5"));
    }
    // Labels that are not dates are never averaged.
    QList<ChartAggregator::Point> named;
    for (int i = 0; i < days; ++i)
        named.append({QStringLiteral("Prato %1").arg(i), 1.0});
    QCOMPARE(ChartAggregator::aggregate(named, {}, {}).bars.size(), days);
}

void TstQrPageLayout::chartScaleHasRoundTicks()
{
    const ChartScale energy(1254.4);
    QCOMPARE(energy.step(), 500.0);
    QCOMPARE(energy.top(), 1500.0);
    QCOMPARE(energy.ticks(), QList<double>({0, 500, 1000, 1500}));
    QCOMPARE(energy.label(1000), QStringLiteral("1.000"));
    const ChartScale small(0.9);
    QCOMPARE(small.step(), 0.5);
    QCOMPARE(small.label(0.5), QStringLiteral("0,5"));
    QCOMPARE(ChartScale(0).top(), 1.0); // an empty chart still has an axis
}

void TstQrPageLayout::cancelStopsTheLayout()
{
    const ReportData data = menu(60);
    int calls = 0;
    int totalSeen = 0;
    PageLayouter::Options options;
    options.progress = [&](int done, int total) -> bool {
        ++calls;
        totalSeen = total;
        return done < 2 * PageLayouter::ProgressStep;
    };
    QVERIFY_THROWS_EXCEPTION(ReportCancelled,
                             PageLayouter::layOut(m_layout, data, params(m_layout), options));
    QCOMPARE(calls, 2);
    QCOMPARE(totalSeen, int(data.rows.size()));
}

// What a preview showed before it was closed is what the finished report has on those pages.
void TstQrPageLayout::pagesHandedOverBeforeACancelAreTheReportsFirstPages()
{
    const ReportData data = menu(60);
    const TParams values = params(m_layout);
    const PageModel whole = layOut(m_layout, data, values);
    QList<Page> shown;
    PageLayouter::Options options;
    options.pageLaidOut = [&](const Page& page) { shown.append(page); };
    options.progress = [](int done, int) { return done < 2 * PageLayouter::ProgressStep; };
    QVERIFY_THROWS_EXCEPTION(ReportCancelled, PageLayouter::layOut(m_layout, data, values, options));
    QVERIFY2(shown.size() >= 2 && shown.size() < whole.pages.size(),
             qPrintable(QString::number(shown.size())));
    for (int p = 0; p < shown.size(); ++p) {
        QCOMPARE(textsOf(shown[p], BandKind::PageFooter),
                 QStringList(QStringLiteral("Página %1 de ?").arg(p + 1)));
        QCOMPARE(textsOf(shown[p], BandKind::Detail), textsOf(whole.pages[p], BandKind::Detail));
        QCOMPARE(textsOf(shown[p], BandKind::GroupHeader), textsOf(whole.pages[p], BandKind::GroupHeader));
    }
}

void TstQrPageLayout::backgroundLayoutClosedMidwayEndsWithoutFinishing()
{
    int pagesSeen = 0;
    {
        BackgroundLayout layout(snapshotOf(m_layout, menu(400), params(m_layout)));
        QSignalSpy firstPages(&layout, &BackgroundLayout::pagesReady);
        QSignalSpy ended(&layout, &BackgroundLayout::finished);
        QCOMPARE(layout.frame().title, m_layout.title);
        QVERIFY(layout.frame().pages.isEmpty());
        layout.start();
        QVERIFY(firstPages.wait(kWorkerWaitMs));
        pagesSeen = int(layout.takePages().size());
        layout.cancel(); // as the preview does when it is closed
        QCoreApplication::processEvents();
        QCOMPARE(ended.size(), 0);
        QVERIFY(!layout.isFinished());
    } // the worker is waited for here
    QVERIFY(pagesSeen >= 1);
}

void TstQrPageLayout::backgroundLayoutReportsAFaultInsteadOfPages()
{
    ReportData data = menu(2);
    data.columns[3] = QStringLiteral("ENERGIA");
    BackgroundLayout layout(snapshotOf(m_layout, data, params(m_layout)));
    QSignalSpy ended(&layout, &BackgroundLayout::finished);
    layout.start();
    QVERIFY(ended.wait(kWorkerWaitMs));
    QVERIFY(layout.isFinished());
    QVERIFY2(layout.error().contains(QLatin1String("KCAL")), qPrintable(layout.error()));
    QVERIFY(layout.result().pages.isEmpty());
    QVERIFY(layout.takePages().isEmpty());
}

void TstQrPageLayout::unknownColumnIsAnError()
{
    ReportData data = menu(1);
    data.columns[3] = QStringLiteral("ENERGIA");
    try {
        layOut(m_layout, data, params(m_layout));
        QFAIL("a layout naming a missing column was laid out");
    } catch (const Kav::Exception& error) {
        QVERIFY2(error.message().contains(QLatin1String("KCAL")), qPrintable(error.message()));
    }
}

// The layout read once and kept: each run finds the columns in its own data's order.
void TstQrPageLayout::sameLayoutRunsWithAnyColumnOrderOnAnyThread()
{
    const ReportData data = menu(3);
    ReportData reversed;
    reversed.columns = QStringList(data.columns.rbegin(), data.columns.rend());
    for (const QVariantList& row : data.rows)
        reversed.rows.append(QVariantList(row.rbegin(), row.rend()));
    PageLayouter::Options options;
    options.now = QDateTime(QDate(2025, 4, 1), QTime(8, 0));
    const TParams values = params(m_layout);
    const auto texts = [&](const ReportData& rows) {
        QStringList all;
        for (const Page& page : PageLayouter::layOut(m_layout, rows, values, options).pages)
            for (const PageItem& item : page.items)
                all.append(item.text);
        return all;
    };
    const QStringList expected = texts(data);
    QVERIFY(expected.join(' ').contains(QStringLiteral("Prato 5")));
    QCOMPARE(texts(reversed), expected);
    QCOMPARE(texts(data), expected);

    QStringList onFirst, onSecond;
    std::thread first([&] { onFirst = texts(data); });
    std::thread second([&] { onSecond = texts(reversed); });
    first.join();
    second.join();
    QCOMPARE(onFirst, expected);
    QCOMPARE(onSecond, expected);
}

namespace {

// A note of the foods that lack a nutrient's value, as the server writes them: names of several
// words, some longer than others.
QString missingValueNote(int foods)
{
    const QStringList names = {QStringLiteral("Arroz branco cozido"), QStringLiteral("Feijão carioca"),
                               QStringLiteral("Carne bovina moída refogada"), QStringLiteral("Abóbora"),
                               QStringLiteral("Farinha de mandioca torrada")};
    QStringList listed;
    for (int i = 0; i < foods; ++i)
        listed.append(names[i % names.size()] + QStringLiteral(" (%1)").arg(i + 1));
    return QStringLiteral("Vitamina C (mg): sem valor na tabela de composição para ") +
           listed.join(QStringLiteral(", ")) + QLatin1Char('.');
}

} // namespace

void TstQrPageLayout::wrappedNoteKeepsEveryWordAtItsBreaks_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<double>("widthMm");
    QTest::newRow("one food, fits") << missingValueNote(1) << 275.0;
    QTest::newRow("three foods, a line and a half") << missingValueNote(3) << 120.0;
    QTest::newRow("nine foods, full width") << missingValueNote(9) << 275.0;
    QTest::newRow("forty foods, narrow column") << missingValueNote(40) << 67.0;
    QTest::newRow("a word wider than the column")
        << QStringLiteral("Sem valor: ") + QString(60, QLatin1Char('x')) << 30.0;
}

// Each line fits; the lines, put back together, are the note: no food is lost where a line breaks.
void TstQrPageLayout::wrappedNoteKeepsEveryWordAtItsBreaks()
{
    QFETCH(QString, note);
    QFETCH(double, widthMm);
    const TextWrapper wrapper(QStringLiteral("DejaVu Sans"), 6.5, false, false);
    const QStringList lines = wrapper.wrap(note, widthMm);
    QString joined;
    for (const QString& line : lines) {
        QVERIFY2(!line.isEmpty() && wrapper.fits(line, widthMm), qPrintable(line));
        // A word cut because it is wider than the line goes on on the next one without a blank.
        joined +=
            (joined.isEmpty() || note.mid(joined.size(), 1) != QLatin1String(" ") ? QString()
                                                                                  : QStringLiteral(" ")) +
            line;
    }
    QCOMPARE(joined, note);
    // Laid out in the notes list, every line is printed, one under the other.
    ReportData data = menu(1);
    ReportData notes;
    notes.columns = {QStringLiteral("NOTA")};
    notes.rows = {{note}};
    data.lists.push_back(notes);
    m_layout.lists.first().band.elements.first().rect.setWidth(widthMm);
    m_layout.lists.first().band.elements.first().style.fontSize = 6.5;
    const PageModel model = layOut(m_layout, data, params(m_layout));
    QStringList printed;
    for (const PageItem* item : itemsOf(model, BandKind::List))
        printed.append(item->text);
    QCOMPARE(printed, lines);
}

void TstQrPageLayout::textWiderThanItsBoxShrinksThenEndsWithAnEllipsis_data()
{
    QTest::addColumn<QString>("dish");
    QTest::addColumn<bool>("smaller");
    QTest::addColumn<bool>("cut");
    QTest::newRow("fits") << QStringLiteral("Arroz branco") << false << false;
    QTest::newRow("a little too wide: smaller")
        << QStringLiteral("Escondidinho de carne moída (opç)") << true << false;
    QTest::newRow("far too wide: cut after a word")
        << QStringLiteral("Escondidinho de mandioca com carne moída (opção) e queijo gratinado ao forno")
        << true << true;
}

// The dish column is 45 mm wide at 8 points: a name that does not fit is set smaller, down to
// three quarters of its size; past that it ends with "…" after a whole word and the whole name is
// printed after the report.
void TstQrPageLayout::textWiderThanItsBoxShrinksThenEndsWithAnEllipsis()
{
    QFETCH(QString, dish);
    QFETCH(bool, smaller);
    QFETCH(bool, cut);
    constexpr double kColumnMm = 45;
    ReportData data = menu(1);
    data.rows[0][2] = dish;
    m_layout.detail->elements.first().rect.setWidth(kColumnMm);
    const PageModel model = layOut(m_layout, data, params(m_layout));
    const PageItem* printed = itemsOf(model, BandKind::Detail).first();
    QCOMPARE(printed->style.fontSize < m_layout.fontSize, smaller);
    QVERIFY(printed->style.fontSize >= m_layout.fontSize * 0.75);
    const TextWrapper measure(m_layout.fontFamily, printed->style.fontSize, false, false);
    QVERIFY2(measure.widthMm(printed->text) <= kColumnMm, qPrintable(printed->text));
    QCOMPARE(printed->text.endsWith(QChar(0x2026)), cut);
    const QStringList after = textsOf(model.pages.last(), BandKind::List);
    if (!cut) {
        QCOMPARE(printed->text, dish);
        QVERIFY(after.isEmpty());
        return;
    }
    const QString shown = printed->text.chopped(1);
    QVERIFY2(dish.startsWith(shown + QLatin1Char(' ')), qPrintable(shown));
    QCOMPARE(after.size(), 2);
    QVERIFY(after.first().contains(QStringLiteral("abreviados")));
    QCOMPARE(after.last(), dish);
}

// Grouped by dish, the list prints one band per dish in the order each first appears: its
// columns from the first row, count() and join() over the dish's rows.
void TstQrPageLayout::groupedListPrintsOneBandPerKey()
{
    ReportList list;
    list.name = QStringLiteral("opcoes");
    list.band.kind = BandKind::List;
    list.band.height = 5;
    list.groupBy = Expression::compile(QStringLiteral("PRATO"));
    ReportElement label;
    label.kind = ReportElement::Kind::Expression;
    label.rect = QRectF(0, 0, 150, 5);
    label.value = Expression::compile(QStringLiteral("PRATO + ': ' + count() + ' dias: ' + join(format(DIA, "
                                                     "'dd/MM')) + ' - ' + format(avg(KCAL), '0.0')"));
    list.band.elements.append(label);
    m_layout.lists = {list};
    ReportData data = menu(1);
    ReportData options;
    options.columns = {QStringLiteral("DIA"), QStringLiteral("PRATO"), QStringLiteral("KCAL")};
    const QDate first(2025, 3, 3);
    options.rows = {{first, QStringLiteral("Iscas"), 100.0},
                    {first, QStringLiteral("Omelete"), 80.0},
                    {first.addDays(7), QStringLiteral("Iscas"), 120.0},
                    {first.addDays(14), QStringLiteral("Iscas"), 110.0},
                    {first.addDays(14), QStringLiteral("Omelete"), 90.0}};
    data.lists.push_back(options);
    const PageModel model = layOut(m_layout, data, params(m_layout));
    QStringList printed;
    for (const PageItem* item : itemsOf(model, BandKind::List))
        printed.append(item->text);
    QCOMPARE(printed, QStringList({QStringLiteral("Iscas: 3 dias: 03/03, 10/03, 17/03 - 110,0"),
                                   QStringLiteral("Omelete: 2 dias: 03/03, 17/03 - 85,0")}));
}

// A list long enough for three pages: its heading (the first row) begins each page it goes on to,
// marked as continued, and never ends a page without a row after it.
void TstQrPageLayout::listHeadingRepeatsOnEveryPageAndNeverEndsOne()
{
    ReportList& list = m_layout.lists.first();
    list.repeatHeader = true;
    list.band.elements.first().value =
        Expression::compile(QStringLiteral("NOTA + if(continued(), ' (continuação)', '')"));
    for (int days = 1; days <= 12; ++days) {
        ReportData data = menu(days);
        ReportData notes;
        notes.columns = {QStringLiteral("NOTA")};
        notes.rows.append({QStringLiteral("Notas")});
        for (int i = 1; i <= 110; ++i)
            notes.rows.append({QStringLiteral("Nota %1").arg(i)});
        data.lists.push_back(notes);
        const PageModel model = layOut(m_layout, data, params(m_layout));
        int headings = 0;
        for (int p = 0; p < model.pages.size(); ++p) {
            const QStringList texts = textsOf(model.pages[p], BandKind::List);
            if (texts.isEmpty())
                continue;
            if (p + 1 < model.pages.size())
                QVERIFY2(!texts.last().startsWith(QStringLiteral("Notas")),
                         qPrintable(QString::number(days)));
            if (headings++ > 0)
                QCOMPARE(texts.first(), QStringLiteral("Notas (continuação)"));
            else
                QVERIFY(!texts.contains(QStringLiteral("Notas (continuação)")));
        }
        QVERIFY2(headings >= 2, qPrintable(QString::number(days)));
    }
}

QTEST_MAIN(TstQrPageLayout)
#include "tst_qrpagelayout.moc"
