// The spreadsheet workbook (.xlsx) of a report, read back by openpyxl as an analyst's script
// reads it: what each kind of value becomes, the decimals shown, the heading sheet, and a file
// that cannot be written.

#include "KavException.h"
#include "LayoutReader.h"
#include "OpenpyxlPython.h"
#include "PageModel.h"
#include "ReportCatalog.h"
#include "ReportDecimals.h"
#include "ReportHeading.h"
#include "ReportOutputs.h"
#include "ValueFormatter.h"
#include "XlsxWriter.h"

#include <QDate>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qr;

namespace {

// Prints, for each cell of both sheets, "sheet!cell type value [number format]", and the frozen
// cell and filter of the data sheet.
const char kDump[] = R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
for sheet in book.worksheets:
    for row in sheet.iter_rows():
        for c in row:
            if c.value is not None:
                print('%s!%s %s %r %s' % (sheet.title, c.coordinate, type(c.value).__name__, c.value, c.number_format))
data = book.worksheets[0]
print('frozen', data.freeze_panes, 'filter', data.auto_filter.ref)
)";

PageItem textItem(BandKind kind, double y, const QString& value)
{
    static int band = 0;
    PageItem item;
    item.band = ++band;
    item.rect = QRectF(10, y, 100, 4);
    item.text = value;
    item.bandKind = kind;
    return item;
}

// A dish table as a data export returns it: codes with zeros, a day, a moment, numbers of
// different decimals, a missing value.
ReportData dishes()
{
    ReportData data;
    data.columns = {"DIA", "COD_PRATO", "PRATO", "VALOR", "PORCOES", "INCOMPLETO", "MEDIDO_EM"};
    data.rows = {
        {QDate(2025, 3, 3), "00001", "Maçã assada", 20.474, 120, "N",
         QDateTime(QDate(2025, 3, 3), QTime(10, 45))},
        {QDate(2025, 3, 4), "0501000003", "Feijão \"tropeiro\"", 661.4499, -3, "S", QVariant()},
        {QVariant(), "", "Água", QVariant(), 0, "N", QDateTime(QDate(2025, 3, 5), QTime(0, 0))},
    };
    return data;
}

} // namespace

class TstQrSpreadsheet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_python = pythonWithOpenpyxl();
    }

    void decimalsShownAreThoseTheReportPrints_data()
    {
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<int>("decimals");
        QTest::newRow("wholes as doubles") << QVariantList{190.0, 20.0, -4.0} << 0;
        QTest::newRow("one decimal") << QVariantList{190.0, 0.4, 12.5} << 1;
        QTest::newRow("rounded to two") << QVariantList{661.4499} << 2;
        QTest::newRow("rounds up to a whole") << QVariantList{19.999} << 0;
        QTest::newRow("tiny value") << QVariantList{0.005} << 2;
        QTest::newRow("integers and nulls") << QVariantList{7, QVariant(), qlonglong(3)} << 0;
        QTest::newRow("texts do not count") << QVariantList{"0,125", 1.5} << 1;
        QTest::newRow("empty column") << QVariantList{} << 0;
    }

    void decimalsShownAreThoseTheReportPrints()
    {
        QFETCH(QVariantList, values);
        QFETCH(int, decimals);
        ReportData data;
        data.columns = {"VALOR"};
        for (const QVariant& value : values)
            data.rows.append(QVariantList{value});
        QCOMPARE(XlsxWriter::decimalsOf(data, 0, 2), decimals);
    }

    void cellsKeepTheirKinds_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("read"); // type, value and format as openpyxl gives them
        QTest::newRow("header") << "Dados!C1"
                                << "str 'prato' General";
        QTest::newRow("day") << "Dados!A2"
                             << "datetime datetime.datetime(2025, 3, 3, 0, 0) dd/mm/yyyy";
        QTest::newRow("code with zeros") << "Dados!B2"
                                         << "str '00001' @";
        QTest::newRow("long code") << "Dados!B3"
                                   << "str '0501000003' @";
        QTest::newRow("accents") << "Dados!C2"
                                 << "str 'Maçã assada' @";
        QTest::newRow("quotes") << "Dados!C3"
                                << "str 'Feijão \"tropeiro\"' @";
        QTest::newRow("number with the column's decimals") << "Dados!D2"
                                                           << "float 20.474 #,##0.00";
        QTest::newRow("stored value, not the rounded one") << "Dados!D3"
                                                           << "float 661.4499 #,##0.00";
        QTest::newRow("integer") << "Dados!E2"
                                 << "int 120 0";
        QTest::newRow("negative integer") << "Dados!E3"
                                          << "int -3 0";
        QTest::newRow("zero is a value") << "Dados!E4"
                                         << "int 0 0";
        QTest::newRow("moment") << "Dados!G2"
                                << "datetime datetime.datetime(2025, 3, 3, 10, 45) dd/mm/yyyy hh:mm";
        QTest::newRow("midnight is a day") << "Dados!G4"
                                           << "datetime datetime.datetime(2025, 3, 5, 0, 0) dd/mm/yyyy";
        QTest::newRow("title") << "Relatório!A1"
                               << "str 'Nutrientes do Cardápio' General";
        QTest::newRow("heading label") << "Relatório!A2"
                                       << "str 'Central de alimentação' General";
        QTest::newRow("heading value") << "Relatório!B2"
                                       << "str '0010 - Central Norte' General";
        QTest::newRow("line without label") << "Relatório!A3"
                                            << "str 'Valores por porção' General";
        QTest::newRow("notes") << "Relatório!A5"
                               << "str 'Notas' General";
        QTest::newRow("note") << "Relatório!A6"
                              << "str '* valor incompleto: falta a composição de um ingrediente.' General";
    }

    void cellsKeepTheirKinds()
    {
        QFETCH(QString, cell);
        QFETCH(QString, read);
        const QStringList cells = workbookCells();
        QVERIFY(!cells.isEmpty());
        QVERIFY2(cells.contains(cell + QLatin1Char(' ') + read), qPrintable(cells.join(QLatin1Char('\n'))));
    }

    void missingValuesAreEmptyCellsAndTheHeaderIsFrozen()
    {
        const QStringList cells = workbookCells();
        QVERIFY(!cells.isEmpty());
        const QString all = cells.join(QLatin1Char('\n'));
        for (const char* empty : {"Dados!A4 ", "Dados!D4 ", "Dados!G3 ", "Dados!B4 "})
            QVERIFY2(!all.contains(QLatin1String(empty)), empty);
        QCOMPARE(cells.constLast(), QStringLiteral("frozen A2 filter A1:G4"));
    }

    void fileThatCannotBeWrittenIsAnError_data()
    {
        QTest::addColumn<QString>("target"); // under the test's folder
        QTest::newRow("missing folder") << "nao-existe/nutrientes.xlsx";
        QTest::newRow("name of a folder") << "pasta.xlsx";
    }

    // The message names the file; nothing is left behind, a folder in the way stays as it was.
    void fileThatCannotBeWrittenIsAnError()
    {
        QFETCH(QString, target);
        QDir folder(m_dir.path());
        QVERIFY(folder.mkpath(QStringLiteral("pasta.xlsx/dentro")));
        const QStringList before = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QString message;
        try {
            XlsxWriter::writeFile(dishes(), {}, 2, folder.filePath(target));
        } catch (const Kav::Exception& error) {
            message = error.message();
        }
        QVERIFY2(message.contains(QFileInfo(target).fileName()), qPrintable(message));
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
        QVERIFY(QFileInfo(folder.filePath(QStringLiteral("pasta.xlsx/dentro"))).isDir());
    }

    void replacesAnEarlierFileWhole()
    {
        const QString path = m_dir.filePath(QStringLiteral("de-novo.xlsx"));
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write(QByteArray(200000, 'x')); // longer than the workbook
        earlier.close();
        XlsxWriter::writeFile(dishes(), {}, 2, path);
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.read(2), QByteArray("PK")); // a zip container, nothing of the old file
        QVERIFY(written.size() < 200000);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral(".de-novo*")}, QDir::Hidden | QDir::Files),
                 QStringList());
    }

    // The heading is the first page's title and page header; notes the summary's sentences on
    // lines of their own, not its figures.
    void headingOfALaidOutReport()
    {
        PageModel model;
        model.title = QStringLiteral("Nutrientes");
        Page first;
        first.items << textItem(BandKind::Title, 10, QStringLiteral("Nutrientes"))
                    << textItem(BandKind::PageHeader, 20, QStringLiteral("Período: 03/03/2025 a 14/03/2025"))
                    << textItem(BandKind::Detail, 40, QStringLiteral("Arroz"));
        Page last;
        last.items << textItem(BandKind::PageHeader, 20, QStringLiteral("Período: outra página"))
                   << textItem(BandKind::Summary, 60,
                               QStringLiteral("Em destaque: valores fora da referência."))
                   << textItem(BandKind::Summary, 70, QStringLiteral("661,4"));
        PageItem total = textItem(BandKind::Summary, 80, QStringLiteral("Média da semana"));
        PageItem value = textItem(BandKind::Summary, 80, QStringLiteral("20,5"));
        value.rect.moveLeft(150);
        value.band = total.band;
        last.items << total << value;
        model.pages = {first, last};
        const ReportHeading heading = ReportHeading::of(model);
        QCOMPARE(heading.title, QStringLiteral("Nutrientes"));
        QCOMPARE(heading.lines, QStringList({"Nutrientes", "Período: 03/03/2025 a 14/03/2025"}));
        QCOMPARE(heading.notes, QStringList({"Em destaque: valores fora da referência."}));
    }

    void decimalsOfAPattern_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("decimals");
        QTest::newRow("grouped, one") << "#,##0.0" << 1;
        QTest::newRow("optional two") << "#,##0.##" << 2;
        QTest::newRow("whole") << "0" << 0;
        QTest::newRow("with a suffix") << "0.00%" << 2;
        QTest::newRow("three") << "0.000 g" << 3;
    }

    void decimalsOfAPattern()
    {
        QFETCH(QString, pattern);
        QFETCH(int, decimals);
        QCOMPARE(ReportDecimals::ofPattern(pattern), decimals);
    }

    // The screen's layouts print every nutrient with one decimal ("#,##0.0"); the bounds (two
    // optional decimals) and the shares of energy ("0") are not what their rows print.
    void screenLayoutsPrintOneDecimal_data()
    {
        QTest::addColumn<QString>("code");
        for (const char* code : {"01", "04", "05", "07"})
            QTest::newRow(code) << QString::fromLatin1(code);
    }

    void screenLayoutsPrintOneDecimal()
    {
        QFETCH(QString, code);
        const ReportLayout layout =
            LayoutReader::readFile(QStringLiteral(KAV_SOURCE_DIR "/reports/") +
                                   ReportCatalog::fileName(QStringLiteral("Zve413"), code));
        QCOMPARE(ReportDecimals::of(layout), 1);
    }

    void layoutFormattingNoNumberPrintsTheDefault()
    {
        QCOMPARE(ReportDecimals::of(ReportLayout()), ValueFormatter::DefaultDecimals);
    }

    void chosenByTheFilterOrTheEnding()
    {
        QCOMPARE(ReportOutputs::nameForFile(QStringLiteral("Nutrientes.XLSX")), QStringLiteral("xlsx"));
        QVERIFY(ReportOutputs::saveFilter()
                    .split(QStringLiteral(";;"))
                    .contains(QStringLiteral("Planilha (*.xlsx)")));
    }

private:
    QStringList workbookCells()
    {
        if (m_python.isEmpty()) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                qFatal("python3-openpyxl is missing");
            QTest::qSkip("python3-openpyxl is not installed", __FILE__, __LINE__);
            return {};
        }
        if (m_cells.isEmpty()) {
            ReportHeading heading;
            heading.title = QStringLiteral("Nutrientes do Cardápio");
            heading.lines = {QStringLiteral("Central de alimentação: 0010 - Central Norte"),
                             QStringLiteral("Valores por porção")};
            heading.notes = {QStringLiteral("* valor incompleto: falta a composição de um ingrediente.")};
            const QString path = m_dir.filePath(QStringLiteral("pratos.xlsx"));
            XlsxWriter::writeFile(dishes(), heading, 2, path);
            QProcess dump;
            dump.start(m_python, {QStringLiteral("-c"), QString::fromLatin1(kDump), path});
            dump.waitForFinished();
            m_cells = QString::fromUtf8(dump.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
        }
        return m_cells;
    }

    QTemporaryDir m_dir;
    QString m_python;
    QStringList m_cells;
};

QTEST_MAIN(TstQrSpreadsheet)
#include "tst_qrspreadsheet.moc"
