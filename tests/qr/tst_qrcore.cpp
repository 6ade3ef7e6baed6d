// The report core on its own: this program links only qrcore and runs under a plain
// QCoreApplication, with no window system. It reads a layout, lays it out and writes it as text
// and CSV, and the libraries loaded into it hold no window code: a window dependency added to
// the core would show up here.

#include "CsvRenderer.h"
#include "LayoutReader.h"
#include "PageLayouter.h"
#include "ReportData.h"
#include "TextRenderer.h"

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

QTEST_GUILESS_MAIN(TstQrCore)
#include "tst_qrcore.moc"
