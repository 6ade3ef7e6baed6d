// The report core on its own: this program links only qrcore and runs under a plain
// QCoreApplication, with no window system. It reads a layout, lays it out and writes it as text
// and CSV, and the libraries loaded into it hold no window code: a window dependency added to
// the core would show up here.

#include "ColumnBlocks.h"
#include "CsvRenderer.h"
#include "LayoutReader.h"
#include "PageLayouter.h"
#include "ReportData.h"
#include "TextRenderer.h"
#include "TParams.h"

#include <link.h>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qr;

namespace {

const QString kLayout = QStringLiteral(KAV_TEST_DIR "/layouts/grouped.QR2");

// File names of the shared objects loaded into this process.
QStringList loadedObjects()
{
    QStringList names;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* found) {
            static_cast<QStringList*>(found)->append(QString::fromLocal8Bit(info->dlpi_name));
            return 0;
        },
        &names);
    return names;
}

// One day, one service, two dishes, and one note for the layout's list.
ReportData oneDay()
{
    ReportData data;
    data.columns = {QStringLiteral("DIA"),  QStringLiteral("SERVICO"), QStringLiteral("PRATO"),
                    QStringLiteral("KCAL"), QStringLiteral("PROT"),    QStringLiteral("INC")};
    const QDate day(2025, 3, 10);
    data.rows = {{day, QStringLiteral("Almoço"), QStringLiteral("Arroz"), 250.0, 4.0, QStringLiteral("N")},
                 {day, QStringLiteral("Almoço"), QStringLiteral("Feijão"), 120.5, 7.5, QStringLiteral("N")}};
    ReportData notes;
    notes.columns = {QStringLiteral("NOTA")};
    notes.rows = {{QStringLiteral("Servir frio")}};
    data.lists.push_back(notes);
    return data;
}

PageModel laidOut()
{
    const ReportLayout layout = LayoutReader::readFile(kLayout);
    TParams params = layout.createParams();
    params.ParamByName(QStringLiteral("P_CENTRAL")).setValue(QStringLiteral("0001"));
    params.ParamByName(QStringLiteral("P_NDPCAL")).setValue(QStringLiteral("N"));
    params.ParamByName(QStringLiteral("P_LIMITE")).setValue(400.0);
    return PageLayouter::layOut(layout, oneDay(), params, PageLayouter::Options());
}

QString readUtf8(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TstQrCore : public QObject
{
    Q_OBJECT

private slots:
    void loadsNoWindowLibrary_data();
    void loadsNoWindowLibrary();
    void laysOutAndWritesTextAndCsvWithoutAWindowSystem();
    void columnBlocksRepeatForEveryValue_data();
    void columnBlocksRepeatForEveryValue();
};

void TstQrCore::loadsNoWindowLibrary_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<bool>("loaded");
    // The first row shows the list is read at all.
    QTest::addRow("core library, loaded") << QStringLiteral("libQt6Core.so") << true;
    QTest::addRow("report core, loaded") << QStringLiteral("libqrcore.so") << true;
    QTest::addRow("widgets, not loaded") << QStringLiteral("libQt6Widgets.so") << false;
    QTest::addRow("print support, not loaded") << QStringLiteral("libQt6PrintSupport.so") << false;
    QTest::addRow("client support library, not loaded") << QStringLiteral("/libkav.so") << false;
}

void TstQrCore::loadsNoWindowLibrary()
{
    QFETCH(QString, library);
    QFETCH(bool, loaded);
    const QStringList objects = loadedObjects();
    const bool found = std::any_of(objects.cbegin(), objects.cend(),
                                   [&](const QString& name) { return name.contains(library); });
    QVERIFY2(found == loaded, qPrintable(objects.join(QLatin1Char('\n'))));
}

void TstQrCore::laysOutAndWritesTextAndCsvWithoutAWindowSystem()
{
    QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
    const PageModel model = laidOut();
    QCOMPARE(model.pages.size(), 1);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    RenderTarget text;
    text.fileName = folder.filePath(QStringLiteral("cardapio.txt"));
    QVERIFY(TextRenderer().render(model, text));
    const QStringList lines = readUtf8(text.fileName).split(QLatin1Char('\n'));
    const auto lineWith = [&lines](const QString& first, const QString& second) {
        return std::any_of(lines.cbegin(), lines.cend(), [&](const QString& line) {
            return line.contains(first) && line.contains(second);
        });
    };
    QVERIFY(lineWith(QStringLiteral("Teste de grupos"), QString()));
    QVERIFY(lineWith(QStringLiteral("Arroz"), QStringLiteral("250,0")));
    QVERIFY(lineWith(QStringLiteral("Total do dia"), QStringLiteral("370,5")));
    QVERIFY(lineWith(QStringLiteral("Servir frio"), QString()));
    QVERIFY(lineWith(QStringLiteral("Página 1 de 1"), QString()));

    RenderTarget csv;
    csv.fileName = folder.filePath(QStringLiteral("cardapio.csv"));
    QVERIFY(CsvRenderer().render(model, csv));
    const QStringList records = readUtf8(csv.fileName).split(QStringLiteral("\r\n"));
    QVERIFY(records.contains(QStringLiteral("Arroz;250,0")));
    QVERIFY(records.contains(QStringLiteral("Feijão;120,5")));
    QVERIFY(records.contains(QStringLiteral("Servir frio")));
}

void TstQrCore::columnBlocksRepeatForEveryValue_data()
{
    QTest::addColumn<int>("values");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<QStringList>("ranges");
    QTest::addRow("none: one block") << 0 << 1 << QStringList{QString()};
    QTest::addRow("one") << 1 << 1 << QStringList{QString()};
    QTest::addRow("exactly one block") << 8 << 1 << QStringList{QString()};
    QTest::addRow("nine: the ninth alone") << 9 << 2 << QStringList{"1 a 8 de 9", "9 de 9"};
    QTest::addRow("sixteen") << 16 << 2 << QStringList{"1 a 8 de 16", "9 a 16 de 16"};
    QTest::addRow("seventeen") << 17 << 3 << QStringList{"1 a 8 de 17", "9 a 16 de 17", "17 de 17"};
    QTest::addRow("twenty-six") << 26 << 4
                                << QStringList{"1 a 8 de 26", "9 a 16 de 26", "17 a 24 de 26",
                                               "25 a 26 de 26"};
    QTest::addRow("a hundred, past any old capacity") << 100 << 13 << QStringList();
}

// Values bound to P_N1, P_N2... (the layout declares only the first block's): as many blocks as
// the values fill, each holding its own values in P_N1..8, empty past the last one.
void TstQrCore::columnBlocksRepeatForEveryValue()
{
    QFETCH(int, values);
    QFETCH(int, blocks);
    QFETCH(QStringList, ranges);
    const ColumnBlocks columns{QStringLiteral("P_N"), 8};
    TParams params;
    for (int k = 1; k <= columns.size; ++k)
        params.Add(columns.parameterName(k), TFieldType::ftString);
    for (int k = 1; k <= values; ++k) {
        if (k > columns.size)
            params.Add(columns.parameterName(k), TFieldType::ftString);
        params.ParamByName(columns.parameterName(k))
            .setAsString(QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0')));
    }
    QCOMPARE(columns.valueCount(params), values);
    QCOMPARE(columns.blockCount(params), blocks);
    for (int block = 0; block < blocks; ++block) {
        TParams shifted = params;
        columns.applyBlock(shifted, block);
        for (int k = 1; k <= columns.size; ++k) {
            const int n = block * columns.size + k;
            QCOMPARE(shifted.ParamByName(columns.parameterName(k)).AsString(),
                     n <= values ? QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')) : QString());
        }
        if (!ranges.isEmpty())
            QCOMPARE(columns.blockRange(block, values), ranges[block]);
    }
}

QTEST_GUILESS_MAIN(TstQrCore)
#include "tst_qrcore.moc"
