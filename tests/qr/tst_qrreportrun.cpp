// A layout run without windows or a client context: the output chosen by name or by the file's
// ending from the one table of outputs, a slow query that keeps its caller informed and stops
// where it is when cancelled, and values bound past the columns of a stored layout.

#include "KavException.h"
#include "LayoutReader.h"
#include "ReportCancelled.h"
#include "ReportOutputs.h"
#include "ReportRun.h"

#include <atomic>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QtTest>
#include <sqlite3.h>
#include <thread>

using namespace Qr;

namespace {

const QString kConnection = QStringLiteral("qrreportrun");
const QDateTime kPrintedAt(QDate(2025, 3, 10), QTime(14, 30));
constexpr int kSlowRows = 20;
constexpr int kSlowRowMs = 30; // a query of 20 such rows lasts well over the heartbeat's interval
// The grouped query reads every pair of rows, each for a millisecond: a real grouping's many
// rows of little work each, not a few long ones.
constexpr int kGroupedRows = kSlowRows * kSlowRows;

// Rows the slow reader has read so far.
std::atomic<int> g_slowReads{0};

// SLEEPMS(n): waits n ms and returns n, counting each call.
void sleepMs(sqlite3_context* context, int, sqlite3_value** argv)
{
    const int ms = sqlite3_value_int(argv[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    ++g_slowReads;
    sqlite3_result_int(context, ms);
}

QByteArray layoutXml(const QString& query, const QString& listQuery = {})
{
    QString xml =
        QStringLiteral("<report version=\"1\" title=\"Pratos\"><page paper=\"A4\" orientation=\"portrait\"/>"
                       "<query><![CDATA[%1]]></query>"
                       "<band kind=\"detail\" height=\"5\">"
                       "<field x=\"0\" y=\"0\" width=\"100\" height=\"5\" column=\"NOME\"/>"
                       "<field x=\"100\" y=\"0\" width=\"30\" height=\"5\" column=\"KCAL\" format=\"0.0\"/>"
                       "</band>")
            .arg(query);
    if (!listQuery.isEmpty())
        xml += QStringLiteral("<list name=\"notas\" height=\"4\"><query><![CDATA[%1]]></query>"
                              "<field x=\"0\" y=\"0\" width=\"100\" height=\"4\" column=\"X\"/></list>")
                   .arg(listQuery);
    return (xml + QStringLiteral("</report>")).toUtf8();
}

ReportRun runOf(const QString& query, const QString& listQuery = {})
{
    const ReportLayout layout = LayoutReader::read(layoutXml(query, listQuery), QStringLiteral("run.QR2"));
    return ReportRun(QSqlDatabase::database(kConnection), layout, layout.createParams(), kPrintedAt);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString kFastQuery = QStringLiteral("SELECT NOME, KCAL FROM PRATOS ORDER BY NOME");
// One row that comes only when every row was read: the engine works inside one step.
const QString kGroupedSlowQuery =
    QStringLiteral("SELECT 'Total' AS NOME, SUM(SLEEPMS(1)) AS KCAL FROM SEQ A, SEQ B");
// Each row comes when read.
const QString kRowBySlowQuery =
    QStringLiteral("SELECT 'Linha' AS NOME, SLEEPMS(%1) AS KCAL FROM SEQ").arg(kSlowRowMs);
const QString kSlowListQuery = QStringLiteral("SELECT SLEEPMS(%1) AS X FROM SEQ").arg(kSlowRowMs);

} // namespace

class TstQrReportRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { g_slowReads = 0; }
    void outputIsChosenByName_data();
    void outputIsChosenByName();
    void slowQueryKeepsTellingItsCaller_data();
    void slowQueryKeepsTellingItsCaller();
    void cancelStopsTheRunWhereItIs_data();
    void cancelStopsTheRunWhereItIs();
    void valuesPastTheColumnsAreFound_data();
    void valuesPastTheColumnsAreFound();

private:
    QTemporaryDir m_dir;
};

void TstQrReportRun::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    db.setDatabaseName(m_dir.filePath(QStringLiteral("run.db")));
    QVERIFY(db.open());
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("CREATE TABLE PRATOS (NOME VARCHAR(40), KCAL DOUBLE PRECISION)")));
    QVERIFY(query.exec(QStringLiteral("INSERT INTO PRATOS VALUES ('Arroz', 161.25), ('Feijão', 76.5)")));
    QVERIFY(query.exec(QStringLiteral("CREATE TABLE SEQ (N INTEGER)")));
    for (int n = 1; n <= kSlowRows; ++n)
        QVERIFY(query.exec(QStringLiteral("INSERT INTO SEQ VALUES (%1)").arg(n)));
    sqlite3* handle = *static_cast<sqlite3* const*>(db.driver()->handle().data());
    QCOMPARE(sqlite3_create_function(handle, "SLEEPMS", 1, SQLITE_UTF8, nullptr, &sleepMs, nullptr, nullptr),
             SQLITE_OK);
}

void TstQrReportRun::outputIsChosenByName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("output"); // empty: by the file's ending
    QTest::addColumn<QByteArray>("start");
    QTest::addRow("pdf by name") << "a.out"
                                 << "pdf" << QByteArray("%PDF");
    QTest::addRow("pdf by ending") << "a.PDF" << QString() << QByteArray("%PDF");
    QTest::addRow("text") << "a.txt" << QString() << QByteArray("Arroz");
    QTest::addRow("text by name") << "a.csv"
                                  << "text" << QByteArray("Arroz");
    QTest::addRow("csv") << "a.csv" << QString() << QByteArray("\xEF\xBB\xBF");
    QTest::addRow("html") << "a.htm" << QString() << QByteArray("<!DOCTYPE html>");
    QTest::addRow("workbook") << "a.xlsx" << QString() << QByteArray("PK");
    QTest::addRow("no ending") << "a" << QString() << QByteArray();
    QTest::addRow("the printer is no file") << "a.pdf"
                                            << "printer" << QByteArray();
}

void TstQrReportRun::outputIsChosenByName()
{
    QFETCH(QString, file);
    QFETCH(QString, output);
    QFETCH(QByteArray, start);
    const QString path = m_dir.filePath(QTest::currentDataTag() + QLatin1Char('/') + file);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    const QString name = output.isEmpty() ? ReportOutputs::nameForFile(path) : output;
    if (start.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, runOf(kFastQuery).save(path, name));
        QVERIFY(!QFile::exists(path));
        return;
    }
    runOf(kFastQuery).save(path, name);
    const QByteArray written = readAll(path);
    QVERIFY2(written.startsWith(start), written.left(40).constData());
    // The filter a save dialog offers names the same ending.
    const ReportOutput& chosen = ReportOutputs::byName(name);
    QVERIFY(ReportOutputs::saveFilter().split(QStringLiteral(";;")).contains(chosen.filter));
    for (const QString& suffix : chosen.suffixes)
        QVERIFY2(chosen.filter.contains(QStringLiteral("*.") + suffix), qPrintable(chosen.filter));
}

void TstQrReportRun::slowQueryKeepsTellingItsCaller_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("reads");
    QTest::addColumn<int>("rows");
    QTest::addRow("one row after every row was read") << kGroupedSlowQuery << kGroupedRows << 1;
    QTest::addRow("row by row") << kRowBySlowQuery << kSlowRows << kSlowRows;
}

// No time is asserted: only that the caller hears from the run again while the query runs,
// not merely before it starts.
void TstQrReportRun::slowQueryKeepsTellingItsCaller()
{
    QFETCH(QString, query);
    QFETCH(int, reads);
    QFETCH(int, rows);
    ReportRun run = runOf(query);
    int toldWhileReading = 0;
    int readsWhenFirstTold = -1;
    run.setProgress([&](const QString& step, int, int) {
        if (step == ReportRun::ReadingStep && ++toldWhileReading == 2)
            readsWhenFirstTold = g_slowReads;
        return true;
    });
    const ReportSnapshot snapshot = run.read();
    QCOMPARE(g_slowReads.load(), reads);
    QVERIFY2(toldWhileReading >= 3, qPrintable(QString::number(toldWhileReading)));
    QVERIFY2(readsWhenFirstTold > 0 && readsWhenFirstTold < reads,
             qPrintable(QString::number(readsWhenFirstTold)));
    QCOMPARE(snapshot.data.front().rows.size(), rows);
}

void TstQrReportRun::cancelStopsTheRunWhereItIs_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("listQuery");
    QTest::addColumn<int>("cancelAtQuery"); // from 0: the report's, then the list's
    QTest::addColumn<int>("reads");         // of the query cancelled, had it run to its end
    QTest::addRow("inside one grouped row") << kGroupedSlowQuery << QString() << 0 << kGroupedRows;
    QTest::addRow("between rows") << kRowBySlowQuery << QString() << 0 << kSlowRows;
    QTest::addRow("in the list after the report's rows") << kFastQuery << kSlowListQuery << 1 << kSlowRows;
}

void TstQrReportRun::cancelStopsTheRunWhereItIs()
{
    QFETCH(QString, query);
    QFETCH(QString, listQuery);
    QFETCH(int, cancelAtQuery);
    QFETCH(int, reads);
    ReportRun run = runOf(query, listQuery);
    int toldInQuery = 0;
    run.setProgress([&](const QString&, int done, int) {
        // The second word from inside the query is the cancel: the first is before it starts.
        return done != cancelAtQuery || ++toldInQuery < 2;
    });
    const QString out = m_dir.filePath(QStringLiteral("cancelled.pdf"));
    QVERIFY_THROWS_EXCEPTION(ReportCancelled, run.save(out, QStringLiteral("pdf")));
    QVERIFY2(g_slowReads > 0 && g_slowReads < reads, qPrintable(QString::number(g_slowReads)));
    QVERIFY(!QFile::exists(out));
    // The connection is left fit for the next run.
    QCOMPARE(runOf(kFastQuery).read().data.front().rows.size(), 2);
}

void TstQrReportRun::valuesPastTheColumnsAreFound_data()
{
    QTest::addColumn<int>("declared"); // P_VALOR1..declared
    QTest::addColumn<bool>("blocks");  // a <column-blocks> for the series
    QTest::addColumn<int>("bound");
    QTest::addColumn<int>("unprinted"); // -1: none
    QTest::addRow("8 columns, 8 chosen") << 8 << false << 8 << -1;
    QTest::addRow("8 columns, 3 chosen") << 8 << false << 3 << -1;
    QTest::addRow("8 columns, 9 chosen") << 8 << false << 9 << 1;
    QTest::addRow("8 columns, 26 chosen") << 8 << false << 26 << 18;
    QTest::addRow("8 columns in blocks, 26 chosen") << 8 << true << 26 << -1;
    QTest::addRow("1 column, 2 chosen") << 1 << false << 2 << 1;
}

void TstQrReportRun::valuesPastTheColumnsAreFound()
{
    QFETCH(int, declared);
    QFETCH(bool, blocks);
    QFETCH(int, bound);
    QFETCH(int, unprinted);
    QString parameters;
    QStringList columns;
    for (int n = 1; n <= declared; ++n) {
        parameters += QStringLiteral("<parameter name=\"P_VALOR%1\" type=\"string\"/>").arg(n);
        columns.append(QStringLiteral(":P_VALOR%1 AS V%1").arg(n));
    }
    const QByteArray xml =
        QStringLiteral("<report version=\"1\" title=\"Valores\"><page paper=\"A4\"/>"
                       "<parameters><parameter name=\"P_CHAVE1X\"/>%1</parameters>%2"
                       "<query><![CDATA[SELECT :P_CHAVE1X AS C, %3]]></query>"
                       "<band kind=\"detail\" height=\"5\"/></report>")
            .arg(parameters,
                 blocks ? QStringLiteral("<column-blocks prefix=\"P_VALOR\" size=\"%1\"/>").arg(declared)
                        : QString(),
                 columns.join(QStringLiteral(", ")))
            .toUtf8();
    const ReportLayout layout = LayoutReader::read(xml, QStringLiteral("valores.QR2"));
    TParams params = layout.createParams();
    for (int n = 1; n <= bound; ++n) {
        const QString name = QStringLiteral("P_VALOR%1").arg(n);
        if (n > declared)
            params.Add(name, TFieldType::ftString);
        params.ParamByName(name).setAsString(QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')));
    }
    const std::optional<UnprintedValues> found =
        ReportRun(QSqlDatabase::database(kConnection), layout, params, kPrintedAt).unprinted();
    QCOMPARE(found.has_value(), unprinted >= 0);
    if (!found)
        return;
    QCOMPARE(found->prefix, QStringLiteral("P_VALOR"));
    QCOMPARE(found->printed, declared);
    QCOMPARE(found->bound - found->printed, unprinted);
}

QTEST_MAIN(TstQrReportRun)
#include "tst_qrreportrun.moc"
