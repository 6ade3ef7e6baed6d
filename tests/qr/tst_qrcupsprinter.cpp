// Printing to a real printer: a private CUPS server on a loopback port, with a cups-pdf queue, gets
// the job that "Imprimir" sends through the print dialog; the job has the pages of the PDF export
// and the paper and orientation of the layout's page setup.

#include "ClientContext.h"
#include "GuiDialogService.h"
#include "TReportDesignerDialog.h"

#include <QApplication>
#include <QImage>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <unistd.h>

namespace {

// A list of dishes long enough for a few pages of any paper, on the paper and orientation asked.
const QString kLayout = QStringLiteral(R"QR2(<?xml version="1.0" encoding="UTF-8"?>
<report version="1" title="Pratos para a impressora">
  <page paper="%1" orientation="%2" margin-left="10" margin-top="10" margin-right="10" margin-bottom="10"/>
  <query><![CDATA[SELECT NOME, KCAL FROM PRATOS ORDER BY KCAL]]></query>
  <band kind="detail" height="8">
    <field x="0" y="0" width="100" height="5" column="NOME"/>
    <field x="100" y="0" width="30" height="5" column="KCAL" format="0.0" align="right"/>
  </band>
  <band kind="page-footer" height="6">
    <expression x="0" y="0" width="100" height="5" value="'Página ' + page() + ' de ' + pages()"/>
  </band>
</report>
)QR2");
const QString kConnection = QStringLiteral("qrcups");
const QString kQueue = QStringLiteral("KavPdf");
// cups-pdf reads the settings of a queue whose device is cups-pdf:/NAME from here, and from
// nowhere else.
const QString kCupsPdfSettings = QStringLiteral("/etc/cups/cups-pdf-%1.conf");
const QString kCupsPdfModel = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
// Waits for the server to listen and for a job to come out, on a loaded machine.
constexpr int kServerWaitMs = 60000;
constexpr int kJobWaitMs = 180000;
constexpr int kDishes = 80;
// A sheet drawn coarsely enough for each line of text to be one stroke, and what counts as ink.
constexpr int kSheetDpi = 30;
constexpr int kInk = 160;

// The full path of a program of the system (also from sbin); empty when it is not installed.
QString program(const QString& name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty()
               ? QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
               : found;
}

// Runs a program to its end: its standard output, or nothing when it failed (`error` says why).
std::optional<QString> run(const QString& name, const QStringList& arguments, QString* error = nullptr)
{
    QProcess process;
    process.start(program(name), arguments);
    if (!process.waitForFinished(kServerWaitMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        if (error)
            *error = name + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(": ") +
                     QString::fromLocal8Bit(process.readAllStandardError());
        return std::nullopt;
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The first sheet of a PDF, in points, as it shows (its rotation applied), and which way its
// lines of text run: a landscape page prints on a portrait sheet turned a quarter, lines upright.
struct PrintedSheet
{
    int pages = 0;
    QSizeF size;
    bool uprightText = false;
    bool landscapeContent() const { return (size.width() > size.height()) != uprightText; }
};

// Whether the lines of text on the first sheet run from its foot to its head: the sheet, drawn
// coarsely, changes between ink and paper more often across the lines than along them.
bool linesRunUpright(const QString& path)
{
    const QString picture = path + QStringLiteral("-folha");
    if (!run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-gray"), QStringLiteral("-png"), QStringLiteral("-r"),
              QString::number(kSheetDpi), QStringLiteral("-f"), QStringLiteral("1"),
              QStringLiteral("-singlefile"), path, picture}))
        return false;
    const QImage sheet(picture + QStringLiteral(".png"));
    const auto changes = [&](int count, int across, const auto& inked) {
        int found = 0;
        bool last = false;
        for (int i = 0; i < count; ++i) {
            bool ink = false;
            for (int j = 0; j < across && !ink; ++j)
                ink = inked(i, j);
            found += ink != last ? 1 : 0;
            last = ink;
        }
        return found;
    };
    const auto dark = [&](int x, int y) { return qGray(sheet.pixel(x, y)) < kInk; };
    const int downTheSheet = changes(sheet.height(), sheet.width(), [&](int y, int x) { return dark(x, y); });
    const int acrossTheSheet =
        changes(sheet.width(), sheet.height(), [&](int x, int y) { return dark(x, y); });
    return acrossTheSheet > downTheSheet;
}

PrintedSheet printedSheet(const QString& path)
{
    const QString info = run(QStringLiteral("pdfinfo"), {path}).value_or(QString());
    PrintedSheet sheet;
    sheet.pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
    const int rotation =
        QRegularExpression(QStringLiteral("Page rot:\\s+(\\d+)")).match(info).captured(1).toInt();
    sheet.size = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    if (rotation % 180 == 90)
        sheet.size.transpose();
    sheet.uprightText = linesRunUpright(path);
    return sheet;
}

// A CUPS server of the test's own: its configuration, spool, logs and the queue's output in a
// temporary folder, listening on a free loopback port; stopped when destroyed.
class PrivateCups
{
public:
    explicit PrivateCups(const QString& folder) : m_folder(folder) {}
    ~PrivateCups() { stop(); }

    // Empty text when the server runs with the queue as its default; otherwise what failed.
    QString start()
    {
        for (const char* part : {"conf", "spool", "cache", "state", "log", "tmp", "saida", "cups-pdf"})
            QDir(m_folder).mkpath(QLatin1String(part));
        // The filters run as lp: they reach the folder and write their temporary files.
        QFile::setPermissions(m_folder,
                              QFile::permissions(m_folder) | QFileDevice::ExeOther | QFileDevice::ReadOther);
        QFile::setPermissions(path("tmp"), QFileDevice::Permissions(0x7777));
        m_port = freePort();
        m_name = QStringLiteral("kavtest%1").arg(QCoreApplication::applicationPid());
        if (!write(path("conf/cupsd.conf"), serverSettings()) ||
            !write(path("conf/cups-files.conf"), fileSettings()) ||
            !write(kCupsPdfSettings.arg(m_name), queueSettings()))
            return QStringLiteral("cannot write the settings (%1)").arg(kCupsPdfSettings.arg(m_name));
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(program(QStringLiteral("cupsd")),
                       {QStringLiteral("-f"), QStringLiteral("-c"), path("conf/cupsd.conf"),
                        QStringLiteral("-s"), path("conf/cups-files.conf")});
        if (!m_server.waitForStarted())
            return QStringLiteral("cupsd did not start: ") + m_server.errorString();
        if (!QTest::qWaitFor([this] { return listening() || m_server.state() == QProcess::NotRunning; },
                             kServerWaitMs) ||
            m_server.state() == QProcess::NotRunning)
            return QStringLiteral("cupsd is not listening: ") + QString::fromLocal8Bit(m_server.readAll()) +
                   log();
        qputenv("CUPS_SERVER", address().toLatin1());
        QString error;
        if (!run(QStringLiteral("lpadmin"),
                 {QStringLiteral("-p"), kQueue, QStringLiteral("-E"), QStringLiteral("-v"),
                  QStringLiteral("cups-pdf:/") + m_name, QStringLiteral("-P"), kCupsPdfModel},
                 &error) ||
            !run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), kQueue}, &error))
            return error + log();
        return {};
    }

    void stop()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished();
        }
        if (!m_name.isEmpty())
            QFile::remove(kCupsPdfSettings.arg(m_name));
    }

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QString path(const QString& relative) const { return m_folder + QLatin1Char('/') + relative; }
    QStringList printedFiles() const
    {
        QStringList files;
        for (const QString& name : QDir(path("saida")).entryList({QStringLiteral("*.pdf")}, QDir::Files))
            files.append(path("saida/") + name);
        return files;
    }
    // Jobs the server has not finished yet.
    QString pendingJobs() const
    {
        return run(QStringLiteral("lpstat"),
                   {QStringLiteral("-W"), QStringLiteral("not-completed"), QStringLiteral("-o"), kQueue})
            .value_or(QStringLiteral("(lpstat failed)"))
            .trimmed();
    }
    QString log() const
    {
        QFile file(path("log/error_log"));
        return file.open(QIODevice::ReadOnly) ? QStringLiteral("\n") + QString::fromLocal8Bit(file.readAll())
                                              : QString();
    }

private:
    static quint16 freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        return probe.serverPort();
    }

    bool listening() const
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        return socket.waitForConnected(1000);
    }

    static bool write(const QString& file, const QString& text)
    {
        QFile out(file);
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               out.write(text.toUtf8()) == text.toUtf8().size();
    }

    QString serverSettings() const
    {
        return QStringLiteral(
                   "Listen 127.0.0.1:%1\n"
                   "Browsing No\nBrowseLocalProtocols none\nWebInterface No\n"
                   "DefaultAuthType None\nLogLevel info\n"
                   "<Location />\n  Order allow,deny\n  Allow from 127.0.0.1\n</Location>\n"
                   "<Location /admin>\n  Order allow,deny\n  Allow from 127.0.0.1\n</Location>\n"
                   "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
            .arg(m_port);
    }

    QString fileSettings() const
    {
        return QStringLiteral(
                   "ServerRoot %1/conf\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
                   "TempDir %1/tmp\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                   "PageLog %1/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                   "SystemGroup root\nUser lp\nGroup lp\nFileDevice No\n")
            .arg(m_folder);
    }

    QString queueSettings() const
    {
        return QStringLiteral("Out %1/saida\nAnonDirName %1/saida\nSpool %1/cups-pdf\nLog %1/log\n"
                              "UserPrefix\nLogType 3\n")
            .arg(m_folder);
    }

    QString m_folder;
    QString m_name;
    quint16 m_port = 0;
    QProcess m_server;
};

} // namespace

class TstQrCupsPrinter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void jobHasThePagesAndPaperOfThePdf_data();
    void jobHasThePagesAndPaperOfThePdf();

private:
    QString layoutWith(const QString& paper, const QString& orientation);

    QTemporaryDir m_dir;
    std::unique_ptr<PrivateCups> m_cups;
};

void TstQrCupsPrinter::initTestCase()
{
    QString missing;
    for (const char* name : {"cupsd", "lpadmin", "lpstat", "pdfinfo"})
        if (program(QLatin1String(name)).isEmpty())
            missing = QStringLiteral("%1 (cups, poppler-utils)").arg(name);
    if (!QFile::exists(kCupsPdfModel))
        missing = QStringLiteral("printer-driver-cups-pdf");
    // cups-pdf runs only as root, from a server run by root.
    if (missing.isEmpty() && geteuid() != 0)
        missing = QStringLiteral("root (cups-pdf runs only as root)");
    if (!missing.isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL(qPrintable(QStringLiteral("the printer test needs ") + missing));
        QSKIP(qPrintable(QStringLiteral("the printer test needs ") + missing));
    }
    QVERIFY(m_dir.isValid());
    m_cups = std::make_unique<PrivateCups>(m_dir.path());
    const QString error = m_cups->start();
    QVERIFY2(error.isEmpty(), qPrintable(error));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    db.setDatabaseName(m_dir.filePath(QStringLiteral("pratos.db")));
    QVERIFY(db.open());
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("CREATE TABLE PRATOS (NOME VARCHAR(40), KCAL DOUBLE PRECISION)")));
    for (int dish = 0; dish < kDishes; ++dish)
        QVERIFY(query.exec(
            QStringLiteral("INSERT INTO PRATOS VALUES ('Prato %1', %2)").arg(dish).arg(100 + dish)));
}

void TstQrCupsPrinter::cleanupTestCase()
{
    m_cups.reset();
    QSqlDatabase::database(kConnection).close();
    QSqlDatabase::removeDatabase(kConnection);
}

QString TstQrCupsPrinter::layoutWith(const QString& paper, const QString& orientation)
{
    const QString path = m_dir.filePath(QStringLiteral("%1-%2.QR2").arg(paper, orientation));
    QFile out(path);
    const QByteArray xml = kLayout.arg(paper, orientation).toUtf8();
    if (!out.open(QIODevice::WriteOnly) || out.write(xml) != xml.size())
        return {};
    return path;
}

void TstQrCupsPrinter::jobHasThePagesAndPaperOfThePdf_data()
{
    QTest::addColumn<QString>("paper");
    QTest::addColumn<QString>("orientation");
    QTest::addColumn<QSizeF>("points"); // the paper upright
    QTest::addRow("A4 retrato") << "A4"
                                << "portrait" << QSizeF(595, 842);
    QTest::addRow("A4 paisagem") << "A4"
                                 << "landscape" << QSizeF(595, 842);
    QTest::addRow("Carta retrato") << "Letter"
                                   << "portrait" << QSizeF(612, 792);
    QTest::addRow("Carta paisagem") << "Letter"
                                    << "landscape" << QSizeF(612, 792);
}

void TstQrCupsPrinter::jobHasThePagesAndPaperOfThePdf()
{
    QFETCH(QString, paper);
    QFETCH(QString, orientation);
    QFETCH(QSizeF, points);
    const QString layout = layoutWith(paper, orientation);
    QVERIFY(!layout.isEmpty());
    // A person at the screen: the print dialog itself shows.
    Kav::ClientContext context(std::make_unique<Kav::GuiDialogService>());
    TReportDesignerDialog dialog(context);
    dialog.setConnectionName(kConnection);
    dialog.LoadFromFile(layout);

    const QString exported = m_dir.filePath(QStringLiteral("exportado.pdf"));
    QVERIFY(dialog.SaveToFile(exported));
    const PrintedSheet pdf = printedSheet(exported);
    QVERIFY2(pdf.pages > 1, qPrintable(exported));
    QCOMPARE(pdf.landscapeContent(), orientation == QLatin1String("landscape"));

    // The user accepts the print dialog as it comes: the server's default queue.
    const QStringList before = m_cups->printedFiles();
    QString chosenPrinter;
    QTimer accept;
    QObject::connect(&accept, &QTimer::timeout, [&] {
        if (auto* printDialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            chosenPrinter = printDialog->printer()->printerName();
            printDialog->accept();
        }
    });
    accept.start(100);
    QVERIFY(dialog.Print());
    accept.stop();
    QCOMPARE(chosenPrinter, kQueue);

    QStringList printed;
    const bool arrived = QTest::qWaitFor(
        [&] {
            printed = m_cups->printedFiles();
            return printed.size() > before.size() && m_cups->pendingJobs().isEmpty();
        },
        kJobWaitMs);
    QVERIFY2(arrived && printed.size() == before.size() + 1,
             qPrintable(m_cups->pendingJobs() + m_cups->log()));
    for (const QString& earlier : before)
        printed.removeAll(earlier);
    const PrintedSheet job = printedSheet(printed.first());
    QCOMPARE(job.pages, pdf.pages);
    // The paper of the page setup (either way round: a printer turns landscape pages on its paper),
    // within a point of rounding, and the pages the way they were set up.
    const QSizeF sheet = job.size.width() > job.size.height() ? job.size.transposed() : job.size;
    QVERIFY2(qAbs(sheet.width() - points.width()) <= 1 && qAbs(sheet.height() - points.height()) <= 1,
             qPrintable(QStringLiteral("%1 x %2").arg(job.size.width()).arg(job.size.height())));
    QCOMPARE(job.landscapeContent(), orientation == QLatin1String("landscape"));
}

QTEST_MAIN(TstQrCupsPrinter)
#include "tst_qrcupsprinter.moc"
