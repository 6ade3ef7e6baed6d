// The outputs of a laid-out report: text grid, CSV, HTML and PDF (read back with pdftotext).

#include "CsvRenderer.h"
#include "HtmlRenderer.h"
#include "KavException.h"
#include "PageModel.h"
#include "PreviewPage.h"
#include "PreviewWindow.h"
#include "ReportCancelled.h"
#include "ReportOutputs.h"
#include "TextRenderer.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QtTest>
#include <QXmlStreamReader>

using namespace Qr;

namespace {

constexpr double kLeft = 10; // margin of the test pages

PageItem text(int band, BandKind kind, double x, double y, double width, const QString& value,
              ElementStyle::Align align = ElementStyle::Align::Left)
{
    PageItem item;
    item.rect = QRectF(kLeft + x, 10 + y, width, 5);
    item.text = value;
    item.style.fontSize = 8;
    item.style.align = align;
    item.band = band;
    item.bandKind = kind;
    return item;
}

PageItem rule(int band, BandKind kind, double x, double y, double width)
{
    PageItem item = text(band, kind, x, y, width, QString());
    item.kind = PageItem::Kind::Line;
    item.rect.setHeight(0);
    return item;
}

// Two pages: a header and a footer on each, rows with a name and a right-aligned number.
PageModel twoPages()
{
    PageModel model;
    model.title = QStringLiteral("Cardápio <teste> %3");
    model.fontFamily = QStringLiteral("DejaVu Sans");
    model.fontSize = 8;
    int band = 0;
    for (int p = 0; p < 2; ++p) {
        Page page;
        ++band;
        page.items << text(band, BandKind::PageHeader, 0, 0, 60, QStringLiteral("Central Norte"))
                   << rule(band, BandKind::PageHeader, 0, 5.5, 90);
        for (int row = 0; row < 3; ++row) {
            ++band;
            page.items << text(band, BandKind::Detail, 0, 10 + 5 * row, 45,
                               row == 1 && p == 0 ? QStringLiteral("Arroz; feijão \"tropeiro\"")
                                                  : QStringLiteral("Prato %1").arg(p * 3 + row))
                       << text(band, BandKind::Detail, 45, 10 + 5 * row, 30,
                               QString::number(100 + 25 * row) + QStringLiteral(",5"),
                               ElementStyle::Align::Right);
        }
        ++band;
        page.items << text(band, BandKind::PageFooter, 60, 270, 30,
                           QStringLiteral("Página %1 de 2").arg(p + 1), ElementStyle::Align::Right);
        model.pages.append(page);
    }
    return model;
}

QString pdfText(const QString& pdf, int page)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                   QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The cells of an HTML report read as XML: per table, per row, each cell's text and attributes.
struct HtmlCell
{
    QString text;
    QXmlStreamAttributes attributes;
};
using HtmlTables = QList<QList<QList<HtmlCell>>>;

HtmlTables htmlTables(const QString& html, QString* error)
{
    QXmlStreamReader xml(html);
    HtmlTables tables;
    int depth = 0; // inside a cell: its own text and that of its spans
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("table"))
            tables.append(QList<QList<HtmlCell>>());
        else if (xml.isStartElement() && xml.name() == QLatin1String("tr"))
            tables.last().append(QList<HtmlCell>());
        else if (xml.isStartElement() && xml.name() == QLatin1String("td")) {
            tables.last().last().append(HtmlCell{QString(), xml.attributes()});
            depth = 1;
        } else if (xml.isCharacters() && depth > 0)
            tables.last().last().last().text += xml.text();
        else if (xml.isEndElement() && xml.name() == QLatin1String("td"))
            depth = 0;
    }
    if (xml.hasError())
        *error = xml.errorString();
    return tables;
}

// A page of a wide table: the nutrient headings at their columns, one row of figures.
Page nutrientPage(const QStringList& headings, const QStringList& figures, int& band)
{
    Page page;
    ++band;
    page.items << text(band, BandKind::ColumnHeader, 0, 0, 40, QStringLiteral("Dia"));
    for (qsizetype i = 0; i < headings.size(); ++i)
        if (!headings[i].isEmpty())
            page.items << text(band, BandKind::ColumnHeader, 40 + 25 * i, 0, 25, headings[i]);
    ++band;
    page.items << text(band, BandKind::Detail, 0, 6, 40, QStringLiteral("seg 03/03/2025"));
    for (qsizetype i = 0; i < figures.size(); ++i)
        if (!figures[i].isEmpty())
            page.items << text(band, BandKind::Detail, 40 + 25 * i, 6, 25, figures[i],
                               ElementStyle::Align::Right);
    return page;
}

} // namespace

class TstQrRenderers : public QObject
{
    Q_OBJECT
private slots:
    void textPlacesItemsOnCharacterColumns();
    void textWrapsToWidthAndKeepsGap();
    void textMarksEmphasis();
    void csvQuotesAndKeepsFrameOnce();
    void htmlEscapesAndHasOnePagePerPage();
    void htmlIsAWellFormedTableOfColumns();
    void htmlKeepsEachHeadingInOneColumnOnEveryPage();
    void htmlFiguresCarryTheirNumberAndMarkApart_data();
    void htmlFiguresCarryTheirNumberAndMarkApart();
    void htmlChartsKeepTheirNoteAndReference();
    void pdfReadsBack();
    void fileRenderersCancel_data();
    void fileRenderersCancel();
    void unwritableFileIsAnError();
    void rendererForFile_data();
    void rendererForFile();
    void unknownRendererIsAnError();
    void previewNavigatesZoomsAndPrints();
    void previewPagesAsTheyArriveAndPrintsOnlyTheWholeReport();
};

void TstQrRenderers::textPlacesItemsOnCharacterColumns()
{
    const QString out = TextRenderer::toText(twoPages());
    const QStringList pages = out.split(QLatin1Char('\f'));
    QCOMPARE(pages.size(), 2);
    const QStringList lines = pages[0].split(QLatin1Char('\n'));
    QCOMPARE(lines[0], QStringLiteral("Central Norte"));
    QCOMPARE(lines[1], QString(60, QLatin1Char('-')));
    // Numbers right-aligned end on the same column: the item's right edge less the gap.
    const int numberEnd = int((45 + 30) / TextRenderer::CellWidthMm) - 1;
    for (int row = 2; row < 5; ++row)
        QCOMPARE(lines[row].size(), numberEnd);
    QVERIFY(lines[2].startsWith(QStringLiteral("Prato 0 ")));
    QVERIFY(lines[2].endsWith(QStringLiteral("100,5")));
    QVERIFY(pages[1].startsWith(QStringLiteral("Central Norte\n")));
    QVERIFY(pages[1].contains(QStringLiteral("Página 2 de 2")));
}

void TstQrRenderers::textWrapsToWidthAndKeepsGap()
{
    PageModel model;
    Page page;
    page.items << text(1, BandKind::Detail, 0, 0, 15, QStringLiteral("Feijão carioca cozido"))
               << text(1, BandKind::Detail, 15, 0, 15, QStringLiteral("Guarnição"));
    model.pages.append(page);
    // 15 mm are 10 columns: 9 characters and a blank; the rest goes on below, nothing is cut.
    QCOMPARE(TextRenderer::toText(model), QStringLiteral("Feijão    Guarnição\ncarioca\ncozido\n"));
    // A word longer than its column is broken inside, still whole over the lines.
    model.pages[0].items[0].text = QStringLiteral("Hortifrutigranjeiros");
    QCOMPARE(TextRenderer::toText(model), QStringLiteral("Hortifrut Guarnição\nigranjeir\nos\n"));
}

void TstQrRenderers::textMarksEmphasis()
{
    PageModel model;
    Page page;
    page.items << text(1, BandKind::Detail, 0, 0, 15, QStringLiteral("12,5"))
               << text(1, BandKind::Detail, 15, 0, 15, QStringLiteral("980,0"));
    page.items[1].emphasis = true;
    model.pages.append(page);
    const QStringList lines = TextRenderer::toText(model).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("12,5      980,0!"));
    QVERIFY(lines.value(1).startsWith(QStringLiteral("! valor em destaque")));
    page.items[1].emphasis = false;
    model.pages[0] = page;
    QVERIFY(!TextRenderer::toText(model).contains(QLatin1Char('!')));
}

void TstQrRenderers::csvQuotesAndKeepsFrameOnce()
{
    const QString csv = CsvRenderer::toCsv(twoPages());
    const QStringList records = csv.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(records, QStringList({QStringLiteral("Central Norte"), QStringLiteral("Prato 0;100,5"),
                                   QStringLiteral("\"Arroz; feijão \"\"tropeiro\"\"\";125,5"),
                                   QStringLiteral("Prato 2;150,5"), QStringLiteral("Prato 3;100,5"),
                                   QStringLiteral("Prato 4;125,5"), QStringLiteral("Prato 5;150,5")}));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.csv"));
    RenderTarget target;
    target.fileName = path;
    QVERIFY(CsvRenderer().render(twoPages(), target));
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(bytes.mid(3)), csv);
}

void TstQrRenderers::htmlEscapesAndHasOnePagePerPage()
{
    PageModel model = twoPages();
    model.pages[0].items[0].text = QStringLiteral("<script>alert(1)</script> & cia");
    const QString html = HtmlRenderer::toHtml(model);
    QCOMPARE(html.count(QStringLiteral("<div class=\"page\">")), 2);
    QVERIFY(!html.contains(QStringLiteral("<script>")));
    QVERIFY(html.contains(QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt; &amp; cia")));
    QVERIFY(html.contains(QStringLiteral("<title>Cardápio &lt;teste&gt; %3</title>")));
    QVERIFY(html.contains(QStringLiteral("text-align:right")));
    QVERIFY(html.contains(QStringLiteral("width:210.00mm;min-height:297.00mm")));
}

void TstQrRenderers::htmlIsAWellFormedTableOfColumns()
{
    PageModel model = twoPages();
    model.pages[0].items[3].emphasis = true; // the first dish's value
    const QString html = HtmlRenderer::toHtml(model);
    // Read as XML: well-formed; per table, the rows and their cells' texts.
    QXmlStreamReader xml(html);
    QList<QList<QStringList>> tables;
    QString cell;
    bool inCell = false;
    QStringList emphasised;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("table"))
            tables.append(QList<QStringList>());
        else if (xml.isStartElement() && xml.name() == QLatin1String("tr"))
            tables.last().append(QStringList());
        else if (xml.isStartElement() && xml.name() == QLatin1String("td")) {
            inCell = true;
            cell.clear();
            if (xml.attributes().value(QLatin1String("class")).contains(QLatin1String("d")))
                emphasised.append(QStringLiteral("?"));
        } else if (xml.isCharacters() && inCell)
            cell += xml.text();
        else if (xml.isEndElement() && xml.name() == QLatin1String("td")) {
            inCell = false;
            tables.last().last().append(cell);
            if (!emphasised.isEmpty() && emphasised.last() == QLatin1String("?"))
                emphasised.last() = cell;
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(tables.size(), 2);
    // Columns: the left edges 0, 45 and 60 (the page number); every row has all three.
    for (const QList<QStringList>& rows : tables)
        for (const QStringList& cells : rows)
            QCOMPARE(cells.size(), 3);
    QCOMPARE(tables[0][1], QStringList({"Prato 0", "100,5", ""}));
    QCOMPARE(tables[0][2], QStringList({"Arroz; feijão \"tropeiro\"", "125,5", ""}));
    QCOMPARE(tables[1].last(), QStringList({"", "", "Página 2 de 2"}));
    QCOMPARE(emphasised, QStringList({"100,5"}));
}

// Pages that leave a column out (a nutrient with no value there, a shorter last block) keep every
// other heading in its column.
void TstQrRenderers::htmlKeepsEachHeadingInOneColumnOnEveryPage()
{
    PageModel model;
    int band = 0;
    model.pages << nutrientPage({"Energia", "Proteína", "Sódio"}, {"661,4", "20,5", "117,5*"}, band)
                << nutrientPage({"Energia", "", "Sódio"}, {"598", "", "99,1"}, band)
                << nutrientPage({"", "Proteína", "Sódio"}, {"", "18", "1.024,7"}, band)
                << nutrientPage({"Energia"}, {"700"}, band);
    QString error;
    const HtmlTables tables = htmlTables(HtmlRenderer::toHtml(model), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(tables.size(), 4);
    QHash<QString, QSet<int>> columnsOfHeading;
    QSet<qsizetype> widths;
    for (const auto& rows : tables) {
        for (int c = 0; c < rows[0].size(); ++c)
            if (!rows[0][c].text.isEmpty())
                columnsOfHeading[rows[0][c].text].insert(c);
        for (const auto& cells : rows)
            widths.insert(cells.size());
    }
    QCOMPARE(widths, QSet<qsizetype>({4}));
    QCOMPARE(columnsOfHeading.value("Dia"), QSet<int>({0}));
    QCOMPARE(columnsOfHeading.value("Energia"), QSet<int>({1}));
    QCOMPARE(columnsOfHeading.value("Proteína"), QSet<int>({2}));
    QCOMPARE(columnsOfHeading.value("Sódio"), QSet<int>({3}));
    // The figure under a heading is in its column.
    QCOMPARE(tables[2][1][3].text, QStringLiteral("1.024,7"));
}

void TstQrRenderers::htmlFiguresCarryTheirNumberAndMarkApart_data()
{
    QTest::addColumn<QString>("printed");
    QTest::addColumn<QString>("value"); // data-value, empty: none
    QTest::addColumn<QString>("incomplete");
    QTest::addColumn<QString>("shown");   // the cell's text
    QTest::addColumn<QVariant>("stored"); // the number the layout printed, as the data hold it
    QTest::newRow("stored value behind a rounded figure") << "661,4*"
                                                          << "661.4499"
                                                          << "S"
                                                          << "661,4*" << QVariant(661.4499);
    QTest::newRow("stored value over a thousand") << "1.024,7"
                                                  << "1024.66"
                                                  << ""
                                                  << "1.024,7" << QVariant(1024.66);
    QTest::newRow("decimal comma") << "117,5"
                                   << "117.5"
                                   << ""
                                   << "117,5" << QVariant();
    QTest::newRow("incomplete") << "117,5*"
                                << "117.5"
                                << "S"
                                << "117,5*" << QVariant();
    QTest::newRow("thousands") << "1.024,7"
                               << "1024.7"
                               << ""
                               << "1.024,7" << QVariant();
    QTest::newRow("out of range") << "1.024,7* ↑"
                                  << "1024.7"
                                  << "S"
                                  << "1.024,7* ↑" << QVariant();
    QTest::newRow("negative whole") << "-3"
                                    << "-3"
                                    << ""
                                    << "-3" << QVariant();
    QTest::newRow("below one") << "0,4*"
                               << "0.4"
                               << "S"
                               << "0,4*" << QVariant();
    QTest::newRow("code keeps being a text") << "00001"
                                             << ""
                                             << ""
                                             << "00001" << QVariant();
    QTest::newRow("date") << "03/03/2025"
                          << ""
                          << ""
                          << "03/03/2025" << QVariant();
    QTest::newRow("share") << "12% VET"
                           << ""
                           << ""
                           << "12% VET" << QVariant();
    QTest::newRow("bad grouping") << "1.02,5"
                                  << ""
                                  << ""
                                  << "1.02,5" << QVariant();
}

void TstQrRenderers::htmlFiguresCarryTheirNumberAndMarkApart()
{
    QFETCH(QString, printed);
    QFETCH(QString, value);
    QFETCH(QString, incomplete);
    QFETCH(QString, shown);
    QFETCH(QVariant, stored);
    PageModel model;
    int band = 0;
    model.pages << nutrientPage({"Sódio"}, {printed}, band);
    for (PageItem& item : model.pages[0].items)
        if (item.text == printed)
            item.number = stored;
    QString error;
    const HtmlTables tables = htmlTables(HtmlRenderer::toHtml(model), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const HtmlCell& cell = tables[0][1][1];
    QCOMPARE(cell.text, shown);
    QCOMPARE(cell.attributes.value(QLatin1String("data-value")).toString(), value);
    QCOMPARE(cell.attributes.value(QLatin1String("data-incompleto")).toString(), incomplete);
    const QString html = HtmlRenderer::toHtml(model);
    QCOMPARE(html.contains(QStringLiteral("<span class=\"mark\"")), !incomplete.isEmpty());
}

void TstQrRenderers::htmlChartsKeepTheirNoteAndReference()
{
    PageModel model;
    Page page;
    PageItem chart = text(1, BandKind::Summary, 0, 0, 120, QStringLiteral("média de cada semana"));
    chart.kind = PageItem::Kind::Chart;
    chart.bars = std::make_shared<const QList<ChartBar>>(
        QList<ChartBar>{{QStringLiteral("sem. 1"), 661.4499, QStringLiteral("661")},
                        {QStringLiteral("sem. 2"), 702, QStringLiteral("702")}});
    chart.references = {{700, QStringLiteral("mín. 700")}};
    page.items << chart;
    model.pages << page;
    QString error;
    const HtmlTables tables = htmlTables(HtmlRenderer::toHtml(model), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QStringList rows;
    for (const auto& cells : tables[0]) {
        QStringList texts;
        for (const HtmlCell& cell : cells)
            texts << cell.text + (cell.attributes.hasAttribute(QLatin1String("data-value"))
                                      ? QLatin1Char('=') +
                                            cell.attributes.value(QLatin1String("data-value")).toString()
                                      : QString());
        rows << texts.join(QLatin1Char('|'));
    }
    QCOMPARE(rows, QStringList({"sem. 1|661=661.4499", "sem. 2|702=702", "média de cada semana|",
                                "Referência|mín. 700=700"}));
}

void TstQrRenderers::pdfReadsBack()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL("pdftotext (poppler-utils) is missing");
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.pdf"));
    RenderTarget target;
    target.fileName = path;
    QVERIFY(ReportOutputs::createRenderer(QStringLiteral("pdf"))->render(twoPages(), target));
    QVERIFY(readAll(path).startsWith("%PDF"));
    const QString first = pdfText(path, 1);
    QVERIFY2(first.contains(QStringLiteral("Central Norte")), qPrintable(first));
    QVERIFY(first.contains(QStringLiteral("Arroz; feijão \"tropeiro\"")));
    QVERIFY(first.contains(QStringLiteral("Página 1 de 2")));
    const QString second = pdfText(path, 2);
    QVERIFY(second.contains(QStringLiteral("Prato 5")));
    QVERIFY(second.contains(QStringLiteral("Página 2 de 2")));
    QVERIFY(pdfText(path, 3).isEmpty());
}

void TstQrRenderers::fileRenderersCancel_data()
{
    QTest::addColumn<QString>("renderer");
    for (const char* name : {"pdf", "text", "csv", "html"})
        QTest::addRow("%s", name) << QString::fromLatin1(name);
}

void TstQrRenderers::fileRenderersCancel()
{
    QFETCH(QString, renderer);
    QTemporaryDir dir;
    RenderTarget target;
    target.fileName = dir.filePath(QStringLiteral("cancelled.out"));
    target.progress = [](int, int) { return false; };
    QVERIFY_THROWS_EXCEPTION(ReportCancelled,
                             ReportOutputs::createRenderer(renderer)->render(twoPages(), target));
    QVERIFY2(!QFile::exists(target.fileName), "a cancelled output left its file behind");
}

void TstQrRenderers::unwritableFileIsAnError()
{
    for (const QString& name : {QStringLiteral("pdf"), QStringLiteral("text")}) {
        RenderTarget target;
        target.fileName = QStringLiteral("/nonexistent-folder/r.out");
        try {
            ReportOutputs::createRenderer(name)->render(twoPages(), target);
            QFAIL("writing into a missing folder succeeded");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains(target.fileName), qPrintable(error.message()));
        }
    }
}

void TstQrRenderers::rendererForFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("renderer");
    QTest::addRow("pdf") << "a/b/Nutrientes.pdf"
                         << "pdf";
    QTest::addRow("upper case") << "NUTRIENTES.PDF"
                                << "pdf";
    QTest::addRow("text") << "n.txt"
                          << "text";
    QTest::addRow("csv") << "n.csv"
                         << "csv";
    QTest::addRow("html") << "n.html"
                          << "html";
    QTest::addRow("htm") << "n.htm"
                         << "html";
    QTest::addRow("unknown") << "n.docx"
                             << "";
    QTest::addRow("none") << "nutrientes"
                          << "";
}

void TstQrRenderers::rendererForFile()
{
    QFETCH(QString, file);
    QFETCH(QString, renderer);
    QCOMPARE(ReportOutputs::nameForFile(file), renderer);
}

void TstQrRenderers::unknownRendererIsAnError()
{
    for (const ReportOutput& output : ReportOutputs::all())
        if (output.writesPages())
            QVERIFY(ReportOutputs::createRenderer(output.name) != nullptr);
    // The workbook is written from rows; the printer and the preview are no file outputs.
    for (const char* name : {"fax", "xlsx", "printer", "preview"})
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, ReportOutputs::createRenderer(QString::fromLatin1(name)));
}

void TstQrRenderers::previewNavigatesZoomsAndPrints()
{
    const PageModel model = twoPages();
    int printed = 0;
    PreviewWindow window(model, [&] { ++printed; });
    window.show();
    auto* label = window.findChild<QLabel*>(QStringLiteral("lblPagina"));
    auto* previous = window.findChild<QToolButton*>(QStringLiteral("btnAnterior"));
    auto* next = window.findChild<QToolButton*>(QStringLiteral("btnProxima"));
    QCOMPARE(label->text(), QStringLiteral("Página 1 de 2"));
    QVERIFY(!previous->isEnabled());
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(window.currentPage(), 1);
    QCOMPARE(label->text(), QStringLiteral("Página 2 de 2"));
    QVERIFY(!next->isEnabled());
    window.showPage(7);
    QCOMPARE(window.currentPage(), 1);
    QTest::keyClick(&window, Qt::Key_Home);
    QCOMPARE(window.currentPage(), 0);

    auto* sheet = window.findChild<PreviewPage*>();
    window.setZoom(1.0); // the window opens at the zoom last chosen
    const int width = sheet->width();
    window.setZoom(2.0);
    QVERIFY(qAbs(sheet->width() - 2 * width) <= 1);
    QCOMPARE(window.findChild<QComboBox*>(QStringLiteral("cbbZoom"))->currentText(), QStringLiteral("200%"));

    // The page is painted: the header's text leaves dark pixels in its corner of the sheet.
    const QImage image = sheet->grab().toImage();
    bool dark = false;
    const QRect header = QRectF(sheet->width() * 10 / 210.0, sheet->height() * 10 / 297.0,
                                sheet->width() * 60 / 210.0, sheet->height() * 5 / 297.0)
                             .toRect();
    for (int y = header.top(); y < header.bottom() && !dark; ++y)
        for (int x = header.left(); x < header.right() && !dark; ++x)
            dark = qGray(image.pixel(x, y)) < 128;
    QVERIFY(dark);

    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnImprimir")), Qt::LeftButton);
    QCOMPARE(printed, 1);
}

void TstQrRenderers::previewPagesAsTheyArriveAndPrintsOnlyTheWholeReport()
{
    const PageModel whole = twoPages();
    PageModel frame = whole;
    frame.pages.clear();
    int printed = 0;
    PreviewWindow window(
        frame, [&] { ++printed; }, nullptr, PreviewWindow::Pages::Arriving);
    window.show();
    auto* label = window.findChild<QLabel*>(QStringLiteral("lblPagina"));
    auto* next = window.findChild<QToolButton*>(QStringLiteral("btnProxima"));
    auto* print = window.findChild<QPushButton*>(QStringLiteral("btnImprimir"));
    QCOMPARE(label->text(), QStringLiteral("Montando as páginas..."));
    QVERIFY(!next->isEnabled());
    QVERIFY(!print->isEnabled());

    window.addPages({whole.pages[0]});
    QCOMPARE(label->text(), QStringLiteral("Página 1 de ?"));
    QVERIFY(!next->isEnabled()); // page 2 is not there yet
    QTest::keyClick(&window, Qt::Key_End);
    QCOMPARE(window.currentPage(), 0);
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(printed, 0); // its count of pages would still be unknown on paper

    window.addPages({whole.pages[1]});
    QVERIFY(next->isEnabled());
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(label->text(), QStringLiteral("Página 2 de ?"));
    QVERIFY(!print->isEnabled());

    window.finishPages(whole);
    QVERIFY(window.hasAllPages());
    QCOMPARE(window.currentPage(), 1); // the user's page stays
    QCOMPARE(label->text(), QStringLiteral("Página 2 de 2"));
    QVERIFY(print->isEnabled());
    QTest::mouseClick(print, Qt::LeftButton);
    QCOMPARE(printed, 1);
}

QTEST_MAIN(TstQrRenderers)
#include "tst_qrrenderers.moc"
