// The screen's report layouts (reports/*.QR2) run on prepared report data: what each prints, as
// text, against golden files named after this test's functions, and the figures a nutritionist
// would check by hand.

#include "BackgroundLayout.h"
#include "DatabaseConnection.h"
#include "DatabaseUrl.h"
#include "Events.h"
#include "KavException.h"
#include "LayoutReader.h"
#include "OpenpyxlPython.h"
#include "PageLayouter.h"
#include "PageModel.h"
#include "PreparedReportFixture.h"
#include "Qrddlgs.h"
#include "ReportCatalog.h"
#include "ReportRun.h"
#include "TestClientContext.h"
#include "TReportDesignerDialog.h"
#include "ValueFormatter.h"

#include <optional>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>
#include <QXmlStreamReader>

using namespace Qr;

namespace {

const QString kReports = QStringLiteral(KAV_SOURCE_DIR "/reports");
const QString kGolden = QStringLiteral(KAV_TEST_DIR "/golden");
const QString kConnection = QStringLiteral("qrscreenlayouts");
const QDateTime kPrintedAt(QDate(2025, 3, 10), QTime(14, 30));
// LibreOffice starting up and converting the exports, on a loaded machine.
constexpr int kOfficeWaitMs = 240000;
// The documentation's picture of a page: an A4 page about a thousand pixels wide.
constexpr int kPictureDpi = 90;

// Every parameter the screen binds, by name.
const QStringList kScreenParameters = {
    "P_CDFILCENTZVE", "P_NMFILCENTZVE", "P_CDFILIAGRE", "P_NMFILIAGRE", "P_CDSERVFILI",  "P_CDFILAUXPRAT",
    "P_NRCARDZVE",    "P_CDTIPOCARD",   "P_NMTIPOCARD", "P_NRSEQUNUTR", "P_DTINICIAL",   "P_DTFINAL",
    "P_DTPERIINI",    "P_DTPERIFIN",    "P_NDPCAL",     "P_FILNDPCAL",  "P_LISTATPRATO", "P_TODOSTPRATO",
    "P_OPCAO",        "P_TODASOPCAO",   "P_NUTRIENTE1", "P_NUTRIENTE2", "P_NUTRIENTE3",  "P_NUTRIENTE4",
    "P_NUTRIENTE5",   "P_NUTRIENTE6",   "P_NUTRIENTE7", "P_NUTRIENTE8"};

struct Criteria
{
    QString key;
    QDate last;
    bool options = true;
    QString dishTypes; // empty: all
    bool ndpcal = false;
    QStringList nutrients = PreparedReportFixture::nutrients(); // as the server returned them
};

// Binds what the screen binds, the way it binds it: texts and dates as values, the shown
// dates and the nutrient codes as texts.
class Screen : public QObject
{
    Q_OBJECT
public:
    Criteria criteria;

    Q_INVOKABLE void rpddPadraoBeforeGetQueryParams(TParams& Params, bool&)
    {
        const QDate first(2025, 3, 3);
        const QHash<QString, QVariant> values = {
            {"P_CDFILCENTZVE", PreparedReportFixture::Central},
            {"P_NMFILCENTZVE", QStringLiteral("Central de Alimentação Norte")},
            {"P_CDFILIAGRE", QString()},
            {"P_NMFILIAGRE", QString()},
            {"P_CDSERVFILI", QStringLiteral("00003_00004")},
            {"P_CDFILAUXPRAT", QString()},
            {"P_NRCARDZVE", QStringLiteral("0000000012")},
            {"P_CDTIPOCARD", QStringLiteral("0000000001")},
            {"P_NMTIPOCARD", QStringLiteral("Ensino fundamental - parcial")},
            {"P_NRSEQUNUTR", criteria.key},
            {"P_DTINICIAL", first.startOfDay()},
            {"P_DTFINAL", criteria.last.startOfDay()},
            {"P_NDPCAL", criteria.ndpcal ? QStringLiteral("S") : QStringLiteral("N")},
            {"P_FILNDPCAL", criteria.ndpcal ? PreparedReportFixture::Central : QStringLiteral("XXXX")},
            {"P_LISTATPRATO", criteria.dishTypes.isEmpty() ? QStringLiteral("X") : criteria.dishTypes},
            {"P_TODOSTPRATO", criteria.dishTypes.isEmpty() ? QStringLiteral("T") : QStringLiteral("X")},
            {"P_OPCAO", criteria.options ? QStringLiteral("X") : QStringLiteral("N")},
            {"P_TODASOPCAO", criteria.options ? QStringLiteral("T") : QStringLiteral("X")},
        };
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            if (Qrddlgs::ExistParam(Params, it.key()))
                Params.ParamByName(it.key()).setValue(it.value());
        QHash<QString, QString> texts = {
            {"P_DTPERIINI", first.toString(QStringLiteral("dd/MM/yyyy"))},
            {"P_DTPERIFIN", criteria.last.toString(QStringLiteral("dd/MM/yyyy"))}};
        for (auto it = texts.cbegin(); it != texts.cend(); ++it)
            if (Qrddlgs::ExistParam(Params, it.key()))
                Params.ParamByName(it.key()).setAsString(it.value());
        // Every code the server returned, past the declared parameters too.
        for (int k = 0; k < criteria.nutrients.size(); ++k) {
            const QString name = QStringLiteral("P_NUTRIENTE%1").arg(k + 1);
            if (!Qrddlgs::ExistParam(Params, name))
                Params.Add(name, TFieldType::ftString);
            Params.ParamByName(name).setAsString(criteria.nutrients[k]);
        }
    }
};

// How long a test waits for a worker to lay a year out on a loaded machine before it gives up;
// nothing is asserted about the time it takes.
constexpr int kLayoutWaitMs = 5 * 60 * 1000;

// A printed item as the comparisons see it: where, what and from which band.
QString described(const PageItem& item)
{
    return QStringLiteral("%1 %2,%3 %4x%5 b%6 k%7 e%8 [%9]")
        .arg(int(item.kind))
        .arg(item.rect.x())
        .arg(item.rect.y())
        .arg(item.rect.width())
        .arg(item.rect.height())
        .arg(item.band)
        .arg(int(item.bandKind))
        .arg(item.emphasis)
        .arg(item.text);
}

QStringList described(const Page& page)
{
    QStringList items;
    for (const PageItem& item : page.items)
        items.append(described(item));
    return items;
}

// The database the layouts are tried on: beside the servers' test database, so its tables
// never meet the ones other tests create there.
const QString kServerDatabase = QStringLiteral("kavqrtest");

QString siblingUrl(const QString& url, const QString& database)
{
    const qsizetype slash = url.lastIndexOf(QLatin1Char('/'));
    const QString last = url.mid(slash + 1);
    const qsizetype dot = last.lastIndexOf(QLatin1Char('.'));
    return url.left(slash + 1) + database + (dot < 0 ? QString() : last.mid(dot));
}

// Creates the layouts' own database on the server when it is not there yet; empty text or the fault.
QString createServerDatabase(const QString& testUrl, const QString& url)
{
    const Kav::DatabaseUrl parsed = Kav::DatabaseUrl::parse(url);
    if (parsed.engine() == Kav::DatabaseUrl::Engine::PostgreSQL) {
        const QString admin = QStringLiteral("qrlayouts-admin");
        QString error;
        {
            QSqlDatabase db = Kav::DatabaseConnection::open(testUrl, admin);
            QSqlQuery query(db);
            query.exec(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = '%1'").arg(kServerDatabase));
            if (!query.next() && !query.exec(QStringLiteral("CREATE DATABASE %1").arg(kServerDatabase)))
                error = query.lastError().text();
        }
        Kav::DatabaseConnection::close(admin);
        return error;
    }
    // Firebird creates databases only through its own client, and only the server may write there.
    QProcess isql;
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q")});
    if (!isql.waitForStarted())
        return QStringLiteral("isql-fb is missing");
    isql.write(
        QStringLiteral("CREATE DATABASE '%1:%2' USER '%3' PASSWORD '%4' DEFAULT CHARACTER SET UTF8;\nQUIT;\n")
            .arg(parsed.host(), parsed.database(), parsed.user(), parsed.password())
            .toUtf8());
    isql.closeWriteChannel();
    isql.waitForFinished();
    const QString output = QString::fromUtf8(isql.readAllStandardError());
    return output.contains(QLatin1String("already exists")) || output.contains(QLatin1String("I/O error"))
               ? QString()
               : output.trimmed();
}

// Drops what an earlier run left, so the fixture starts from the schema file.
void dropFixtureTables(QSqlDatabase db)
{
    QSqlQuery query(db);
    for (const QString& table : db.tables())
        query.exec(QStringLiteral("DROP TABLE %1").arg(table));
}

struct GoldenCase
{
    const char* tag; // names the golden file: goldenText_<tag>.txt
    QString layout;
    Criteria criteria;
};

QList<GoldenCase> goldenCases()
{
    const QString dish = PreparedReportFixture::DishKey;
    const QDate tuesday(2025, 3, 4);
    return {
        {"01", QStringLiteral("01"), {dish, tuesday, true, {}, true}},
        {"01-sem-opcao", QStringLiteral("01"), {dish, tuesday, false, {}, false}},
        {"01-tipos", QStringLiteral("01"), {dish, tuesday, true, QStringLiteral("03_04"), false}},
        {"04", QStringLiteral("04"), {PreparedReportFixture::WeekKey, QDate(2025, 3, 14), true, {}, false}},
        {"05", QStringLiteral("05"), {PreparedReportFixture::WeekKey, QDate(2025, 3, 14), true, {}, false}},
        {"07", QStringLiteral("07"), {PreparedReportFixture::DayKey, QDate(2025, 3, 7), true, {}, true}},
    };
}

QString goldenFile(const char* tag)
{
    return kGolden + QStringLiteral("/goldenText_%1.txt").arg(QString::fromLatin1(tag));
}

QString layoutPath(const QString& layoutCode)
{
    return kReports + QLatin1Char('/') + ReportCatalog::fileName(QStringLiteral("Zve413"), layoutCode);
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Binds the screen's parameter handler to the dialog and loads one of the screen's layouts, printed
// at the fixed moment of these tests.
void loadLayout(TReportDesignerDialog& dialog, Screen& screen, const QString& layoutCode,
                const QString& connection = kConnection)
{
    Kav::bindEvent(&dialog, "OnBeforeGetQueryParams", &screen, "rpddPadraoBeforeGetQueryParams");
    dialog.setConnectionName(connection);
    dialog.setClock(kPrintedAt);
    dialog.LoadFromFile(kReports + QLatin1Char('/') +
                        ReportCatalog::fileName(QStringLiteral("Zve413"), layoutCode));
}

} // namespace

class TstQrScreenLayouts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init() { m_context.emplace(); }
    void cleanup() { m_context.reset(); }
    void layoutsDeclareOnlyWhatTheScreenBinds();
    void layoutsAreListedForTheScreen();
    void goldenText_data();
    void goldenText();
    void dayTotalsAddUpTheDishes();
    void optionDishesFollowThePrintOption_data();
    void optionDishesFollowThePrintOption();
    void printingOptionDishesMovesNoTotal();
    void dishTypeListLeavesOthersOut();
    void dayAndWeekComparedWithTheMenuTypesReference();
    void macronutrientsAsShareOfEnergy();
    void incompleteFiguresFlagOnlyWhatTheyCanTell();
    void aShareThatDoesNotFitTheMealsIsNotCompared();
    void menuTypeWithoutReferenceIsNotCompared();
    void weekMeansAreLabelledByTheirDays();
    void everyLayoutListsTheGapsOfItsReport();
    void incompleteNdpcalIsMarked();
    void optionDishFollowsTheMainDish();
    void moreThanEightNutrientsPrintInASecondBlock();
    void storedLayoutWithoutBlocksKeepsItsColumns_data();
    void storedLayoutWithoutBlocksKeepsItsColumns();
    void dataExportHasOneRowPerDishAndNutrient();
    void dataExportLoadsInPython();
    void dataExportAgreesWithThePrintedText();
    void weeklyExportWithReferenceFlagsAsThePage();
    void weeklyExportHasThePeriodsMeanAsThePagePrintsIt_data();
    void weeklyExportHasThePeriodsMeanAsThePagePrintsIt();
    void exportsListTheOptionDishesThePagePrints_data();
    void exportsListTheOptionDishesThePagePrints();
    void dataExportsLoadIntoLibreOffice();
    void spreadsheetReadsBackAsTheReport_data();
    void everyFigureIsTheSameInEveryFormat();
    void spreadsheetReadsBackAsTheReport();
    void dailyChartHasEnergyOfEachDay();
    void dailyChartDrawsTheMenuTypesEnergyReference();
    void yearKeepsHeadingsWithTheirRows_data();
    void yearKeepsHeadingsWithTheirRows();
    void yearLaidOutPageByPageEqualsOneShot_data();
    void yearLaidOutPageByPageEqualsOneShot();
    void previewOfAYearPrintsEveryPageWithItsCount();
    void printedPdfHasDishesAndDayTotal();
    void printedWeekPdfIsSearchableAsWritten();
    void optionListFollowsEachBlockOfNutrients();
    void layoutsPrintTheSameOnEveryEngine_data();
    void layoutsPrintTheSameOnEveryEngine();

private:
    QString run(const QString& layoutCode, const Criteria& criteria, const QString& connection = kConnection);
    ReportRun runOf(const ReportLayout& layout, const Criteria& criteria,
                    const QString& connection = kConnection);
    // Refreshes docs/<name>.png with a workbook open in a LibreOffice Calc window.
    void writeSpreadsheetPicture(const QString& xlsx, const QString& name);
    // Refreshes a picture of the documentation (docs/<name>.png) from a page of a PDF.
    void writeReportPicture(const QString& pdf, const QString& name, int page = 1);
    // Prints a layout to PDF and returns the text pdftotext reads from it; empty when it failed.
    QString printedText(const QString& layoutCode, const Criteria& criteria, const QString& pdf);
    // Saves a layout to `fileName` (in the test's folder) by its ending; the path, empty when
    // nothing was written.
    QString saved(const QString& layoutCode, const Criteria& criteria, const QString& fileName,
                  const QString& connection = kConnection);
    // The rows of a layout's data export as Python reads them from the CSV (csv module) and from
    // the workbook (openpyxl), which must agree; an empty array and `problem` set when they do not.
    QJsonArray readByPython(const QString& layoutCode, const Criteria& criteria, QString& problem);
    // The data export (CSV) of a layout.
    QString exported(const QString& layoutCode, const Criteria& criteria,
                     const QString& connection = kConnection);

    QTemporaryDir m_dir;
    // Each test's own; its dialogs are answered beforehand.
    std::optional<TestClientContext> m_context;
};

void TstQrScreenLayouts::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    db.setDatabaseName(m_dir.filePath(QStringLiteral("fixture.db")));
    QVERIFY(db.open());
    const QString error = PreparedReportFixture::fill(db);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QString year = PreparedReportFixture::fillYear(db);
    QVERIFY2(year.isEmpty(), qPrintable(year));
}

void TstQrScreenLayouts::cleanupTestCase()
{
    QSqlDatabase::database(kConnection).close();
    QSqlDatabase::removeDatabase(kConnection);
}

QString TstQrScreenLayouts::run(const QString& layoutCode, const Criteria& criteria,
                                const QString& connection)
{
    const QString out = m_dir.filePath(QStringLiteral("out.txt"));
    runOf(LayoutReader::readFile(layoutPath(layoutCode)), criteria, connection)
        .save(out, QStringLiteral("text"));
    return readText(out);
}

// The run alone, as a tool would do it: no dialog, no window, no client context.
ReportRun TstQrScreenLayouts::runOf(const ReportLayout& layout, const Criteria& criteria,
                                    const QString& connection)
{
    Screen screen;
    screen.criteria = criteria;
    TParams params = layout.createParams();
    bool cancel = false;
    screen.rpddPadraoBeforeGetQueryParams(params, cancel);
    return ReportRun(QSqlDatabase::database(connection), layout, params, kPrintedAt);
}

void TstQrScreenLayouts::layoutsDeclareOnlyWhatTheScreenBinds()
{
    const QList<ReportEntry> entries = ReportCatalog::list({kReports}, QStringLiteral("Zve413"));
    QVERIFY(!entries.isEmpty());
    for (const ReportEntry& entry : entries) {
        const ReportLayout layout = LayoutReader::readFile(entry.path);
        for (const ParameterDeclaration& declaration : layout.parameters)
            QVERIFY2(kScreenParameters.contains(declaration.name),
                     qPrintable(entry.path + QStringLiteral(" declares ") + declaration.name));
        QVERIFY2(layout.query.contains(QLatin1String(":P_NRSEQUNUTR")), qPrintable(entry.path));
    }
}

void TstQrScreenLayouts::layoutsAreListedForTheScreen()
{
    const QList<ReportEntry> entries = ReportCatalog::list({kReports}, QStringLiteral("Zve413"));
    QStringList codes;
    QSet<QString> titles;
    QSet<QString> queries;
    for (const ReportEntry& entry : entries) {
        codes.append(entry.layoutCode);
        titles.insert(entry.title);
        queries.insert(LayoutReader::readFile(entry.path).query);
    }
    QCOMPARE(codes, QStringList({"01", "04", "05", "07"}));
    QCOMPARE(titles.size(), entries.size());
    QCOMPARE(queries.size(), entries.size());
}

void TstQrScreenLayouts::goldenText_data()
{
    QTest::addColumn<int>("index");
    const QList<GoldenCase> cases = goldenCases();
    for (int i = 0; i < cases.size(); ++i)
        QTest::addRow("%s", cases[i].tag) << i;
}

void TstQrScreenLayouts::goldenText()
{
    QFETCH(int, index);
    const GoldenCase golden = goldenCases()[index];
    const QString text = run(golden.layout, golden.criteria);
    if (qEnvironmentVariableIsSet("KAV_UPDATE_GOLDEN")) {
        QFile file(goldenFile(golden.tag));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        QSKIP("golden file written");
    }
    QVERIFY2(QFile::exists(goldenFile(golden.tag)), golden.tag);
    QCOMPARE(text, readText(goldenFile(golden.tag)));
}

void TstQrScreenLayouts::dayTotalsAddUpTheDishes()
{
    // Energy of Monday's lunch, of the whole Monday and of the period, summed from the main dishes:
    // Monday's option dish (an omelette instead of the chicken) is printed but not eaten besides it.
    const QDate monday(2025, 3, 3);
    double lunch = 0;
    double mondayTotal = 0;
    double period = 0;
    double option = 0;
    QSet<QDate> days;
    for (const FixtureDish& dish : PreparedReportFixture::dishes()) {
        const double energy = dish.values[0].toDouble();
        days.insert(dish.day);
        if (dish.option) {
            option += energy;
            continue;
        }
        period += energy;
        if (dish.day != monday)
            continue;
        mondayTotal += energy;
        if (dish.serviceCode == QLatin1String("00003"))
            lunch += energy;
    }
    // 161 + 190 + 92 kcal at lunch, 220 + 73 in the afternoon, 905 on Tuesday; the omelette's 154 apart.
    QCOMPARE(lunch, 443.0);
    QCOMPARE(mondayTotal, 736.0);
    QCOMPARE(option, 154.0);
    const double mean = period / double(days.size());
    const QString text =
        run(QStringLiteral("01"), {PreparedReportFixture::DishKey, QDate(2025, 3, 4), true, {}, true});
    QVERIFY2(text.contains(QStringLiteral("Omelete (opção)")), qPrintable(text));
    const QStringList lines = text.split(QLatin1Char('\n'));
    const auto lineStarting = [&](const QString& start) {
        for (const QString& line : lines)
            if (line.trimmed().startsWith(start))
                return line;
        return QString();
    };
    const auto energyOf = [](double value) { return ValueFormatter::format(value, "#,##0.0"); };
    const QString lunchLine = lineStarting(QStringLiteral("Total Almoço"));
    const QString dayLine = lineStarting(QStringLiteral("Total do dia"));
    const QString meanLine = lineStarting(QStringLiteral("Média diária do período (2 dias)"));
    QVERIFY2(lunchLine.contains(energyOf(lunch)), qPrintable(text));
    QVERIFY2(dayLine.contains(energyOf(mondayTotal)), qPrintable(text));
    QVERIFY2(meanLine.contains(energyOf(mean)), qPrintable(text));
    // Summing the option dish again would print these.
    QVERIFY2(!lunchLine.contains(energyOf(lunch + option)), qPrintable(lunchLine));
    QVERIFY2(!dayLine.contains(energyOf(mondayTotal + option)), qPrintable(dayLine));
    QVERIFY2(!meanLine.contains(energyOf(mean + option / double(days.size()))), qPrintable(meanLine));
    QVERIFY(text.contains(QStringLiteral("Pratos de opção impressos; não entram nos totais nem na média.")));
    QVERIFY(lineStarting(QStringLiteral("segunda-feira, 03/03/2025"))
                .contains(QStringLiteral("NDpCal% do dia: 7,8")));
    // Monday's fibre is incomplete (the chicken lacks it): its day total carries the mark.
    QVERIFY(dayLine.contains(QLatin1Char('*')));
}

void TstQrScreenLayouts::optionDishesFollowThePrintOption_data()
{
    QTest::addColumn<bool>("options");
    QTest::addRow("Imprime Opção") << true;
    QTest::addRow("sem opção") << false;
}

void TstQrScreenLayouts::optionDishesFollowThePrintOption()
{
    QFETCH(bool, options);
    const QString text =
        run(QStringLiteral("01"), {PreparedReportFixture::DishKey, QDate(2025, 3, 4), options, {}, false});
    QCOMPARE(text.contains(QStringLiteral("Omelete (opção)")), options);
    QVERIFY(text.contains(QStringLiteral("Frango ensopado")));
}

void TstQrScreenLayouts::printingOptionDishesMovesNoTotal()
{
    // Every total and the mean print the same lines whether the option dishes are listed or not.
    const auto totals = [this](bool options) {
        const QString text = run(QStringLiteral("01"),
                                 {PreparedReportFixture::DishKey, QDate(2025, 3, 4), options, {}, false});
        QStringList found;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QStringLiteral("Total")) || trimmed.startsWith(QStringLiteral("Média")))
                found.append(line);
        }
        return found;
    };
    const QStringList withOptions = totals(true);
    // Two services and the day on each of the two days, and the period's mean.
    QCOMPARE(withOptions.size(), 7);
    QCOMPARE(withOptions, totals(false));
}

void TstQrScreenLayouts::dishTypeListLeavesOthersOut()
{
    const QString text =
        run(QStringLiteral("01"), {PreparedReportFixture::DishKey, QDate(2025, 3, 4), true, "03_04", false});
    QVERIFY(text.contains(QStringLiteral("Banana")));
    QVERIFY(text.contains(QStringLiteral("Suco de laranja")));
    QVERIFY(!text.contains(QStringLiteral("Arroz branco")));
    QVERIFY(!text.contains(QStringLiteral("Frango ensopado")));
}

namespace {

// The line of a text export that starts (after blanks) with `start`; empty when none does.
QString lineStarting(const QString& text, const QString& start)
{
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.trimmed().startsWith(start))
            return line;
    return {};
}

// The cells of a printed line: runs of text apart by two blanks or more.
QStringList cellsOf(const QString& line)
{
    static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
    return line.trimmed().split(gap);
}

QString amount(double value)
{
    return ValueFormatter::format(value, QStringLiteral("#,##0.0"));
}

const Criteria kWeeks{PreparedReportFixture::WeekKey, QDate(2025, 3, 14), true, {}, true};

} // namespace

void TstQrScreenLayouts::dayAndWeekComparedWithTheMenuTypesReference()
{
    const QString text = run(QStringLiteral("05"), kWeeks);
    // Columns: energy, protein, lipids, carbohydrate, fibre, calcium, iron, sodium. The menu type's
    // reference: energy 700 to 900 kcal, fibre at least 10 g, calcium 57 mg, iron 5 mg (the looser
    // 4 mg row yields), sodium at most 1,000 mg (the looser 1,200 mg row yields); rows of another
    // age band (1,500 kcal) and coverage (500 kcal at most) do not apply.
    const QStringList monday = cellsOf(lineStarting(text, QStringLiteral("seg. 03/03/2025")));
    QCOMPARE(monday.mid(1),
             QStringList({amount(794), amount(44), amount(20.3), amount(95.6), amount(9.6) + " ↓!",
                          amount(54) + " ↓!", amount(4.5) + " ↓!", amount(868)}));
    // In plain text a value out of its reference also carries the emphasis mark "!"; 5,8 is an
    // NDpCal% under 6.
    const QStringList tuesday = cellsOf(lineStarting(text, QStringLiteral("ter. 04/03/2025")));
    QCOMPARE(tuesday.value(7), amount(PreparedReportFixture::weekDayValue(1, 6)) + " ↓!");
    QCOMPARE(tuesday.value(5), amount(PreparedReportFixture::weekDayValue(1, 4)));
    const QStringList thursday = cellsOf(lineStarting(text, QStringLiteral("qui. 06/03/2025")));
    QCOMPARE(thursday.value(1), amount(PreparedReportFixture::weekDayValue(3, 0)) + " ↑!");
    QCOMPARE(thursday.value(8), amount(PreparedReportFixture::weekDayValue(3, 7)) + " ↑!");
    // The week's daily mean is compared too: week 2's iron mean is under the minimum.
    double iron = 0;
    for (int day = 0; day < PreparedReportFixture::weekDays(1); ++day)
        iron += PreparedReportFixture::weekDayValue(day, 6);
    const QString week2 = lineStarting(text, QStringLiteral("Média diária da semana (4 dias)"));
    QCOMPARE(cellsOf(week2).value(7), amount(iron / PreparedReportFixture::weekDays(1)) + " ↓!");
    // The reference's bounds head the columns, and the set with its source heads every page.
    QVERIFY(lineStarting(text, QStringLiteral("Referência do dia")).contains(QStringLiteral("700 a 900")));
    const int pages = int(text.count(QStringLiteral("Emitido em")));
    QVERIFY(pages >= 1);
    QCOMPARE(int(text.count(QStringLiteral("Referência: Exemplo (não oficial) - 6 a 10 anos - 20% das "
                                           "necessidades diárias"))),
             pages);
    QCOMPARE(int(text.count(QStringLiteral("Fonte: Valores de teste"))), pages);
}

void TstQrScreenLayouts::macronutrientsAsShareOfEnergy()
{
    const QString text = run(QStringLiteral("05"), kWeeks);
    // Monday: 44 g of protein at 4 kcal/g in 794 kcal is 22 % (range 10 to 15 %), 20.3 g of
    // lipids at 9 kcal/g 23 % (15 to 30 %), 95.6 g of carbohydrate 48 % (55 to 65 %).
    QCOMPARE(qRound(44.0 * 4 * 100 / 794), 22);
    QCOMPARE(qRound(20.3 * 9 * 100 / 794), 23);
    QCOMPARE(qRound(95.6 * 4 * 100 / 794), 48);
    const QStringList lines = text.split(QLatin1Char('\n'));
    const qsizetype monday = lines.indexOf(lineStarting(text, QStringLiteral("seg. 03/03/2025")));
    QVERIFY(monday >= 0);
    QCOMPARE(cellsOf(lines[monday + 1]), QStringList({"NDpCal% 5,8", "22% VET ↑!", "23% VET", "48% VET ↓!"}));
    QVERIFY(lineStarting(text, QStringLiteral("10 a 15% VET")).contains(QStringLiteral("55 a 65% VET")));
}

// A figure that lacks some ingredient's value is a lower bound: below its minimum it may reach it
// ("↓?"), above its maximum it stays above. A share of energy moves either way with a missing
// nutrient or energy value: marked "*", its flags "?".
void TstQrScreenLayouts::incompleteFiguresFlagOnlyWhatTheyCanTell()
{
    QSqlDatabase db = QSqlDatabase::database(kConnection);
    const auto mark = [&](const QString& flag) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("UPDATE NUTRICARD SET IDINCOMPLETO = ? WHERE NRSEQUNUTR = ? AND"
                                     " ((DTCARDAPIO = ? AND CDNUTRIENTE IN ('002', '005'))"
                                     " OR (DTCARDAPIO = ? AND CDNUTRIENTE = '001'))"));
        query.addBindValue(flag);
        query.addBindValue(PreparedReportFixture::WeekKey);
        query.addBindValue(QDate(2025, 3, 3));
        query.addBindValue(QDate(2025, 3, 6));
        return query.exec() && query.numRowsAffected() == 3;
    };
    QVERIFY(mark(QStringLiteral("S")));
    const QString text = run(QStringLiteral("05"), kWeeks);
    QVERIFY(mark(QStringLiteral("N")));
    const QStringList lines = text.split(QLatin1Char('\n'));
    const qsizetype monday = lines.indexOf(lineStarting(text, QStringLiteral("seg. 03/03/2025")));
    const qsizetype thursday = lines.indexOf(lineStarting(text, QStringLiteral("qui. 06/03/2025")));
    QVERIFY(monday >= 0 && thursday >= 0);
    const QStringList mondayCells = cellsOf(lines[monday]);
    QCOMPARE(mondayCells.value(2), amount(44) + "*");
    QCOMPARE(mondayCells.value(5), amount(9.6) + "* ↓?!");
    QCOMPARE(cellsOf(lines[monday + 1]).mid(1), QStringList({"22% VET* ↑?!", "23% VET", "48% VET ↓!"}));
    QCOMPARE(cellsOf(lines[thursday]).value(1), amount(936.9) + "* ↑!");
    QCOMPARE(cellsOf(lines[thursday + 1]).mid(1), QStringList({"22% VET* ↑?!", "23% VET*", "48% VET* ↓?!"}));
    QVERIFY(text.contains(QStringLiteral("↓? abaixo do mínimo num valor incompleto (*)")));
}

// The server stores no share with a report whose menu type's meals do not fit it: the bounds of
// that share are not compared, those for every share (sodium, fat as a share of energy) still are.
void TstQrScreenLayouts::aShareThatDoesNotFitTheMealsIsNotCompared()
{
    QSqlDatabase db = QSqlDatabase::database(kConnection);
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("UPDATE NUTRICARDCAB SET PCCOBERTURA = NULL")));
    const QString text = run(QStringLiteral("05"), kWeeks);
    const QString chart =
        run(QStringLiteral("07"), {PreparedReportFixture::DayKey, QDate(2025, 3, 7), true, {}, true});
    QVERIFY(query.exec(QStringLiteral("UPDATE NUTRICARDCAB SET PCCOBERTURA = 20")));
    const QString bounds = lineStarting(text, QStringLiteral("Referência do dia"));
    QVERIFY2(!bounds.contains(QStringLiteral("700")) && bounds.contains(QStringLiteral("máx. 1.000")),
             qPrintable(bounds));
    // Fibre's minimum is for the share; iron's stricter one is for every share.
    const QStringList monday = cellsOf(lineStarting(text, QStringLiteral("seg. 03/03/2025")));
    QCOMPARE(monday.value(5), amount(9.6));
    QCOMPARE(monday.value(7), amount(4.5) + " ↓!");
    QVERIFY(lineStarting(text, QStringLiteral("qui. 06/03/2025")).contains(amount(1024.2) + " ↑!"));
    QVERIFY(!chart.contains(QStringLiteral("mín. 700")));
}

void TstQrScreenLayouts::menuTypeWithoutReferenceIsNotCompared()
{
    QSqlDatabase db = QSqlDatabase::database(kConnection);
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("UPDATE TIPOCARD SET CDCONJREF = NULL")));
    const QString text = run(QStringLiteral("05"), kWeeks);
    QVERIFY(query.exec(QStringLiteral("UPDATE TIPOCARD SET CDCONJREF = 'EX'")));
    QVERIFY2(text.contains(QStringLiteral("Tipo de cardápio sem valores de referência cadastrados")),
             qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Referência: ")));
    QVERIFY(!text.contains(QStringLiteral("↓")) && !text.contains(QStringLiteral("↑")));
    QVERIFY(!lineStarting(text, QStringLiteral("Referência do dia")).contains(QStringLiteral("700")));
    // The figures themselves are printed as they are.
    QVERIFY(lineStarting(text, QStringLiteral("seg. 03/03/2025")).contains(amount(794)));
}

void TstQrScreenLayouts::weekMeansAreLabelledByTheirDays()
{
    // The week's mean covers the days it counts (4 in week 2); the period's mean all 9 days.
    double week2 = 0;
    double period = 0;
    for (int week = 0; week < 2; ++week)
        for (int day = 0; day < PreparedReportFixture::weekDays(week); ++day) {
            period += PreparedReportFixture::weekDayValue(day, 0);
            week2 += week == 1 ? PreparedReportFixture::weekDayValue(day, 0) : 0;
        }
    for (const QString& layout : {QStringLiteral("04"), QStringLiteral("05")}) {
        const QString text = run(layout, kWeeks);
        QVERIFY2(
            lineStarting(text, QStringLiteral("Média diária da semana (4 dias)")).contains(amount(week2 / 4)),
            qPrintable(layout + text));
        QVERIFY(lineStarting(text, QStringLiteral("Média diária da semana (5 dias)")).size() > 0);
        QVERIFY2(lineStarting(text, QStringLiteral("Média diária do período (9 dias)"))
                     .contains(amount(period / 9)),
                 qPrintable(layout + text));
        QVERIFY(text.contains(QStringLiteral("NDpCal% da semana")) || layout == QLatin1String("05"));
    }
}

void TstQrScreenLayouts::everyLayoutListsTheGapsOfItsReport()
{
    for (const GoldenCase& golden : goldenCases()) {
        const QString text = run(golden.layout, golden.criteria);
        QVERIFY2(
            text.contains(QStringLiteral("Sódio (mg) sem valor na tabela: Laranja, suco natural (TACO 565)")),
            golden.tag);
        QVERIFY2(
            text.contains(QStringLiteral("valores complementados: Complemento de exemplo (não oficial)")),
            golden.tag);
        QVERIFY2(!text.contains(QStringLiteral("o valor real é maior")), golden.tag);
    }
}

void TstQrScreenLayouts::incompleteNdpcalIsMarked()
{
    // Tuesday's NDpCal% rests on incomplete energy or protein; Monday's does not.
    const QString dishes =
        run(QStringLiteral("01"), {PreparedReportFixture::DishKey, QDate(2025, 3, 4), true, {}, true});
    QVERIFY(lineStarting(dishes, QStringLiteral("terça-feira, 04/03/2025")).endsWith(QStringLiteral("5,4*")));
    QVERIFY(
        lineStarting(dishes, QStringLiteral("segunda-feira, 03/03/2025")).endsWith(QStringLiteral("7,8")));
    QVERIFY(dishes.contains(QStringLiteral("NDpCal%: proteína líquida × 4 kcal ÷ energia × 100")));
    const QString days =
        run(QStringLiteral("07"), {PreparedReportFixture::DayKey, QDate(2025, 3, 7), true, {}, true});
    QCOMPARE(cellsOf(lineStarting(days, QStringLiteral("ter. 04/03/2025"))).value(1), QStringLiteral("6,4*"));
    QCOMPARE(cellsOf(lineStarting(days, QStringLiteral("qua. 05/03/2025"))).value(1), QStringLiteral("7,0"));
    const QString weeks = run(QStringLiteral("05"), kWeeks);
    QVERIFY(weeks.contains(QStringLiteral("NDpCal% 6,4*")));
}

void TstQrScreenLayouts::storedLayoutWithoutBlocksKeepsItsColumns_data()
{
    QTest::addColumn<int>("index");
    const QList<GoldenCase> cases = goldenCases();
    for (int i = 0; i < cases.size(); ++i)
        QTest::addRow("%s", cases[i].tag) << i;
}

// A user's copy saved before the columns came in blocks (no <column-blocks>, P_NUTRIENTE1..8):
// with eight nutrients it prints what the standard layout prints; with eleven the run finds the
// three it has no column for, which the report dialog tells before printing.
void TstQrScreenLayouts::storedLayoutWithoutBlocksKeepsItsColumns()
{
    QFETCH(int, index);
    const GoldenCase golden = goldenCases()[index];
    QFile file(layoutPath(golden.layout));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString standard = QString::fromUtf8(file.readAll());
    static const QRegularExpression blocks(QStringLiteral("<column-blocks[^>]*/>"));
    QVERIFY(standard.contains(blocks));
    const ReportLayout stored =
        LayoutReader::read(QString(standard).remove(blocks).toUtf8(), QStringLiteral("user.QR2"));
    QVERIFY(!stored.columnBlocks);

    Criteria eight = golden.criteria;
    QCOMPARE(eight.nutrients.size(), 8);
    const ReportRun asStored = runOf(stored, eight);
    QVERIFY(!asStored.unprinted());
    const QString out = m_dir.filePath(QStringLiteral("stored.txt"));
    asStored.save(out, QStringLiteral("text"));
    QCOMPARE(readText(out), run(golden.layout, eight));

    Criteria eleven = golden.criteria;
    eleven.nutrients += PreparedReportFixture::extraNutrients();
    const std::optional<UnprintedValues> unprinted = runOf(stored, eleven).unprinted();
    QVERIFY(unprinted);
    QCOMPARE(unprinted->prefix, QStringLiteral("P_NUTRIENTE"));
    QCOMPARE(unprinted->printed, 8);
    QCOMPARE(unprinted->bound, 11);
    QVERIFY(!runOf(LayoutReader::readFile(layoutPath(golden.layout)), eleven).unprinted());
}

void TstQrScreenLayouts::moreThanEightNutrientsPrintInASecondBlock()
{
    Criteria criteria{PreparedReportFixture::DishKey, QDate(2025, 3, 4), true, {}, false};
    criteria.nutrients += PreparedReportFixture::extraNutrients();
    const QString text = run(QStringLiteral("01"), criteria);
    const QStringList pages = text.split(QLatin1Char('\f'));
    // The first block's pages head the first eight nutrients; the second block's the other three,
    // with the days, services and dishes again.
    const auto blockOf = [](const QString& page) {
        return page.contains(QStringLiteral("Magnésio")) ? 2 : 1;
    };
    QVERIFY(pages.size() >= 2);
    QCOMPARE(blockOf(pages.first()), 1);
    QCOMPARE(blockOf(pages.last()), 2);
    QString second;
    for (const QString& page : pages) {
        QCOMPARE(page.contains(QStringLiteral("Energia")), blockOf(page) == 1);
        if (blockOf(page) == 2)
            second += page;
    }
    QVERIFY(second.contains(QStringLiteral("Zinco")) && second.contains(QStringLiteral("Vitamina C")));
    for (const FixtureDish& dish : PreparedReportFixture::dishes()) {
        const QString line = lineStarting(second, dish.dish);
        QVERIFY2(!line.isEmpty(), qPrintable(dish.dish));
        QCOMPARE(cellsOf(line).mid(2), QStringList({amount(PreparedReportFixture::extraValue(dish, 0)),
                                                    amount(PreparedReportFixture::extraValue(dish, 1)),
                                                    amount(PreparedReportFixture::extraValue(dish, 2))}));
    }
    // Monday's totals in the second block: 736 kcal of main dishes, vitamin C a tenth of it.
    QVERIFY(lineStarting(second, QStringLiteral("Total do dia")).contains(amount(73.6)));
    // The notes follow the last block only.
    QCOMPARE(int(text.count(QStringLiteral("TACO 565"))), 1);
}

namespace {

// A data export read back: the header and the rows, split at ";" with the quotes of the texts
// taken off (the fixture's texts hold neither).
struct ExportedRows
{
    QStringList header;
    QList<QStringList> rows;

    QString at(int row, const QString& column) const { return rows[row].value(header.indexOf(column)); }
    // A number field, written with a decimal comma.
    double number(int row, const QString& column) const
    {
        bool ok = false;
        const double value = at(row, column).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        return ok ? value : qQNaN();
    }
};

QStringList fieldsOf(const QString& line)
{
    QStringList fields = line.split(QLatin1Char(';'));
    for (QString& field : fields)
        if (field.size() >= 2 && field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"')))
            field = field.mid(1, field.size() - 2);
    return fields;
}

ExportedRows readExport(QString csv)
{
    ExportedRows read;
    if (csv.startsWith(QChar(0xFEFF)))
        csv.remove(0, 1);
    QStringList lines = csv.split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    read.header = fieldsOf(lines.takeFirst());
    for (const QString& line : lines)
        read.rows.append(fieldsOf(line));
    return read;
}

Criteria allNutrients()
{
    Criteria criteria{PreparedReportFixture::DishKey, QDate(2025, 3, 4), true, {}, true};
    criteria.nutrients += PreparedReportFixture::extraNutrients();
    return criteria;
}

} // namespace

QString TstQrScreenLayouts::saved(const QString& layoutCode, const Criteria& criteria,
                                  const QString& fileName, const QString& connection)
{
    TReportDesignerDialog dialog(m_context->context());
    Screen screen;
    screen.criteria = criteria;
    Kav::bindEvent(&dialog, "OnBeforeGetQueryParams", &screen, "rpddPadraoBeforeGetQueryParams");
    dialog.setConnectionName(connection);
    dialog.LoadFromFile(kReports + QLatin1Char('/') +
                        ReportCatalog::fileName(QStringLiteral("Zve413"), layoutCode));
    const QString out = m_dir.filePath(fileName);
    return dialog.SaveToFile(out) ? out : QString();
}

QString TstQrScreenLayouts::exported(const QString& layoutCode, const Criteria& criteria,
                                     const QString& connection)
{
    QFile file(saved(layoutCode, criteria, QStringLiteral("dados.csv"), connection));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void TstQrScreenLayouts::dataExportHasOneRowPerDishAndNutrient()
{
    QFile file(saved(QStringLiteral("01"), allNutrients(), QStringLiteral("dados.csv")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF")); // so that spreadsheets read the accents as UTF-8
    const QString csv = QString::fromUtf8(bytes);
    const ExportedRows read = readExport(csv);
    QCOMPARE(read.header, QStringList({"dia", "cod_servico", "servico", "cod_tipo_prato", "tipo_prato",
                                       "cod_prato", "prato", "opcao", "cod_nutriente", "nutriente", "unidade",
                                       "valor", "incompleto", "ndpcal_do_dia", "ndpcal_do_dia_incompleto"}));
    const int nutrients = int(allNutrients().nutrients.size());
    QCOMPARE(read.rows.size(), PreparedReportFixture::dishes().size() * nutrients);
    for (const QStringList& row : read.rows)
        QCOMPARE(row.size(), read.header.size());
    // The first dish: Monday's chicken (the main dish before its option), energy first.
    QCOMPARE(read.at(0, "dia"), QStringLiteral("2025-03-03"));
    QCOMPARE(read.at(0, "prato"), QStringLiteral("Frango ensopado"));
    QCOMPARE(read.at(0, "opcao"), QStringLiteral("N"));
    QCOMPARE(read.at(0, "valor"), QStringLiteral("190"));
    QCOMPARE(read.at(nutrients, "prato"), QStringLiteral("Omelete"));
    QCOMPARE(read.at(nutrients, "opcao"), QStringLiteral("S"));
    QCOMPARE(read.at(4, "valor"), QStringLiteral("0,4")); // the chicken's fibre, incomplete
    QCOMPARE(read.at(4, "incompleto"), QStringLiteral("S"));
    QCOMPARE(read.at(8, "cod_nutriente"), QStringLiteral("009")); // every nutrient, not only eight
    QCOMPARE(read.at(0, "ndpcal_do_dia"), QStringLiteral("7,8")); // the day's, on a dish's row
    // Without option dishes and NDpCal% the export follows the printed report.
    Criteria plain = allNutrients();
    plain.options = false;
    plain.ndpcal = false;
    const ExportedRows without = readExport(exported(QStringLiteral("01"), plain));
    QCOMPARE(without.rows.size(), (PreparedReportFixture::dishes().size() - 1) * nutrients);
    QCOMPARE(without.at(0, "ndpcal_do_dia"), QString());
}

void TstQrScreenLayouts::dataExportLoadsInPython()
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    const QString csv = exported(QStringLiteral("05"), kWeeks);
    const QString path = m_dir.filePath(QStringLiteral("semanas.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(csv.toUtf8());
    file.close();
    // Every field of a number column reads as a number; dates as ISO dates.
    QProcess process;
    process.start(python, {QStringLiteral("-c"), QStringLiteral(R"(
import csv, datetime, sys
with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:
    rows = list(csv.DictReader(f, delimiter=';'))
total = 0.0
for row in rows:
    if row['valor']:
        total += float(row['valor'].replace(',', '.'))
    if row['dia']:
        datetime.date.fromisoformat(row['dia'])
    if row['linha'] != 'media_periodo':
        int(row['semana'])
print(len(rows), round(total, 3), ','.join(sorted({row['linha'] for row in rows})))
)"),
                           path});
    QVERIFY(process.waitForFinished());
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QStringList answer =
        QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    QCOMPARE(answer.value(2), QStringLiteral("dia,media_periodo,media_semana,media_servico"));
    // Rows of the fixture: 9 days, 2 week means, 2 weeks of 2 services and the period's mean, 8
    // nutrients each.
    QCOMPARE(answer.value(0), QString::number((9 + 2 + 4 + 1) * 8));
    double total = 0;
    for (int week = 0; week < 2; ++week)
        for (int n = 0; n < 8; ++n) {
            double sum = 0;
            for (int day = 0; day < PreparedReportFixture::weekDays(week); ++day)
                sum += PreparedReportFixture::weekDayValue(day, n);
            total += sum + sum / PreparedReportFixture::weekDays(week) + sum / 9;
        }
    QVERIFY(answer.value(1).toDouble() > total); // the service means come on top of the days
}

// 05 compares days and week means with the menu type's reference: its export carries the bounds
// and says which values are out of them (04, without a reference, does not).
void TstQrScreenLayouts::weeklyExportWithReferenceFlagsAsThePage()
{
    const ExportedRows plain = readExport(exported(QStringLiteral("04"), kWeeks));
    QVERIFY(!plain.header.contains(QStringLiteral("fora_da_referencia")));
    const ExportedRows read = readExport(exported(QStringLiteral("05"), kWeeks));
    for (const char* column : {"referencia_minimo", "referencia_maximo", "fora_da_referencia", "ndpcal_de"})
        QVERIFY2(read.header.contains(QLatin1String(column)), column);
    QHash<QString, int> flags;
    int bounded = 0;
    int shares = 0;
    int scopes = 0;
    for (int row = 0; row < read.rows.size(); ++row) {
        const QString line = read.at(row, "linha");
        const QString flag = read.at(row, "fora_da_referencia");
        const double value = read.number(row, "valor");
        const double low = read.number(row, "referencia_minimo");
        const double high = read.number(row, "referencia_maximo");
        QString expected;
        if (value < low)
            expected = read.at(row, "incompleto") == QLatin1String("S") ? QStringLiteral("abaixo?")
                                                                        : QStringLiteral("abaixo");
        else if (value > high)
            expected = QStringLiteral("acima");
        QVERIFY2(flag == expected, qPrintable(read.rows[row].join(QLatin1Char(';'))));
        // Only the rows the page compares carry the bounds: days, week means and the period's mean.
        const bool compared = line == QLatin1String("dia") || line == QLatin1String("media_semana") ||
                              line == QLatin1String("media_periodo");
        QVERIFY2(compared || (qIsNaN(low) && qIsNaN(high)),
                 qPrintable(read.rows[row].join(QLatin1Char(';'))));
        // The share of the energy of protein, carbohydrate and lipids, flagged against its range.
        const double share = read.number(row, "percentual_vet");
        const double shareLow = read.number(row, "vet_minimo");
        const double shareHigh = read.number(row, "vet_maximo");
        const QString doubt =
            read.at(row, "vet_incompleto") == QLatin1String("S") ? QStringLiteral("?") : QString();
        const QString shareFlag = share < shareLow    ? QStringLiteral("abaixo") + doubt
                                  : share > shareHigh ? QStringLiteral("acima") + doubt
                                                      : QString();
        QVERIFY2(read.at(row, "vet_fora_da_referencia") == shareFlag,
                 qPrintable(read.rows[row].join(QLatin1Char(';'))));
        shares += !qIsNaN(shareLow) || !qIsNaN(shareHigh);
        bounded += !qIsNaN(low) || !qIsNaN(high);
        ++flags[flag];
        // Whose NDpCal% a row carries, when it carries one.
        const QString scope = !read.at(row, "dia").isEmpty()           ? QStringLiteral("dia")
                              : line == QLatin1String("media_periodo") ? QStringLiteral("periodo")
                                                                       : QStringLiteral("semana");
        QCOMPARE(read.at(row, "ndpcal_de"), read.at(row, "ndpcal").isEmpty() ? QString() : scope);
        scopes += !read.at(row, "ndpcal_de").isEmpty();
    }
    QVERIFY(bounded > 0 && shares > 0 && scopes > 0);
    QVERIFY2(flags.value(QStringLiteral("abaixo")) + flags.value(QStringLiteral("acima")) > 0,
             "the fixture's menu is out of its reference somewhere");
    // The bounds are those the page's column headings give ("10 a 15").
    const QString printed = run(QStringLiteral("05"), kWeeks);
    for (int row = 0; row < read.rows.size(); ++row) {
        const double low = read.number(row, "referencia_minimo");
        const double high = read.number(row, "referencia_maximo");
        if (!qIsNaN(low) && !qIsNaN(high))
            QVERIFY2(printed.contains(ValueFormatter::format(low, QStringLiteral("#,##0.##")) +
                                      QStringLiteral(" a ") +
                                      ValueFormatter::format(high, QStringLiteral("#,##0.##"))),
                     qPrintable(read.rows[row].join(QLatin1Char(';'))));
    }
}

namespace {

// A flag of the export as the page prints it after the value: "abaixo?" is " ↓?", and "!" marks
// the emphasis of a value out of its reference in plain text.
QString printedFlag(const QString& flag)
{
    if (flag.isEmpty())
        return {};
    const QString arrow =
        flag.startsWith(QLatin1String("abaixo")) ? QStringLiteral(" ↓") : QStringLiteral(" ↑");
    return arrow + (flag.endsWith(QLatin1Char('?')) ? QStringLiteral("?!") : QStringLiteral("!"));
}

// A reference's bounds as the page's column headings print them: "700 a 900", "mín. 10", "máx. 1.000".
QString printedBounds(double low, double high)
{
    const auto number = [](double value) {
        return ValueFormatter::format(value, QStringLiteral("#,##0.##"));
    };
    if (!qIsNaN(low) && !qIsNaN(high))
        return number(low) + QStringLiteral(" a ") + number(high);
    if (!qIsNaN(low))
        return QStringLiteral("mín. ") + number(low);
    return qIsNaN(high) ? QString() : QStringLiteral("máx. ") + number(high);
}

} // namespace

void TstQrScreenLayouts::weeklyExportHasThePeriodsMeanAsThePagePrintsIt_data()
{
    QTest::addColumn<QStringList>("incompleteOnMonday");
    QTest::addColumn<bool>("ndpcal");
    QTest::addRow("every value complete") << QStringList() << true;
    // Iron under its minimum with a value missing may reach it ("↓?"); energy moves every share.
    QTest::addRow("energy and iron incomplete on a day") << QStringList({"001", "007"}) << true;
    QTest::addRow("without NDpCal%%") << QStringList() << false;
}

// The period's daily mean the page prints under the weeks ("Média diária do período (9 dias)",
// compared with the reference, its shares of the energy and NDpCal% below) is a row of the export
// with the same figures, flags and bounds.
void TstQrScreenLayouts::weeklyExportHasThePeriodsMeanAsThePagePrintsIt()
{
    QFETCH(QStringList, incompleteOnMonday);
    QFETCH(bool, ndpcal);
    QSqlDatabase db = QSqlDatabase::database(kConnection);
    const auto mark = [&](const QString& flag) {
        for (const QString& code : incompleteOnMonday) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("UPDATE NUTRICARD SET IDINCOMPLETO = ? WHERE NRSEQUNUTR = ?"
                                         " AND DTCARDAPIO = ? AND CDNUTRIENTE = ?"));
            query.addBindValue(flag);
            query.addBindValue(PreparedReportFixture::WeekKey);
            query.addBindValue(QDate(2025, 3, 3));
            query.addBindValue(code);
            if (!query.exec() || query.numRowsAffected() != 1)
                return false;
        }
        return true;
    };
    const auto restore = qScopeGuard([&] { mark(QStringLiteral("N")); });
    QVERIFY(mark(QStringLiteral("S")));
    Criteria criteria = kWeeks;
    criteria.ndpcal = ndpcal;
    const QString text = run(QStringLiteral("05"), criteria);
    const ExportedRows read = readExport(exported(QStringLiteral("05"), criteria));
    QHash<QString, int> periodRow;
    for (int row = 0; row < read.rows.size(); ++row)
        if (read.at(row, "linha") == QLatin1String("media_periodo"))
            periodRow.insert(read.at(row, "cod_nutriente"), row);
    const QStringList codes = PreparedReportFixture::nutrients();
    QCOMPARE(periodRow.size(), codes.size());                      // every chosen nutrient, once
    QCOMPARE(periodRow.value(codes.last()), read.rows.size() - 1); // after the weeks

    const QStringList lines = text.split(QLatin1Char('\n'));
    const qsizetype meanLine =
        lines.indexOf(lineStarting(text, QStringLiteral("Média diária do período (9 dias)")));
    QVERIFY2(meanLine >= 0 && meanLine + 1 < lines.size(), qPrintable(text));
    const QStringList values = cellsOf(lines[meanLine]).mid(1);
    const QStringList shares = cellsOf(lines[meanLine + 1]);
    QStringList expectedValues;
    QStringList expectedShares;
    QStringList bounds;
    QStringList shareBounds;
    for (const QString& code : codes) {
        const int row = periodRow.value(code);
        QCOMPARE(read.at(row, "dias_na_media"), QStringLiteral("9"));
        QVERIFY(read.at(row, "semana").isEmpty() && read.at(row, "dia").isEmpty());
        const QString incomplete =
            read.at(row, "incompleto") == QLatin1String("S") ? QStringLiteral("*") : QString();
        expectedValues << amount(read.number(row, "valor")) + incomplete +
                              printedFlag(read.at(row, "fora_da_referencia"));
        const double share = read.number(row, "percentual_vet");
        if (!qIsNaN(share))
            expectedShares << ValueFormatter::format(share, QStringLiteral("0")) + QStringLiteral("% VET") +
                                  (read.at(row, "vet_incompleto") == QLatin1String("S") ? QStringLiteral("*")
                                                                                        : QString()) +
                                  printedFlag(read.at(row, "vet_fora_da_referencia"));
        const QString bound =
            printedBounds(read.number(row, "referencia_minimo"), read.number(row, "referencia_maximo"));
        if (!bound.isEmpty())
            bounds << bound;
        const QString shareBound =
            printedBounds(read.number(row, "vet_minimo"), read.number(row, "vet_maximo"));
        if (!shareBound.isEmpty())
            shareBounds << shareBound + QStringLiteral("% VET");
        QCOMPARE(read.at(row, "ndpcal_de"), ndpcal ? QStringLiteral("periodo") : QString());
    }
    QCOMPARE(values, expectedValues);
    const int firstShare = ndpcal ? 1 : 0;
    QCOMPARE(shares.mid(firstShare), expectedShares);
    if (ndpcal) {
        const int row = periodRow.value(codes.first());
        QCOMPARE(
            shares.value(0),
            QStringLiteral("NDpCal% ") +
                ValueFormatter::format(read.number(row, "ndpcal"), QStringLiteral("0.0")) +
                (read.at(row, "ndpcal_incompleto") == QLatin1String("S") ? QStringLiteral("*") : QString()));
    }
    // The bounds are those heading the page's columns.
    QCOMPARE(cellsOf(lineStarting(text, QStringLiteral("Referência do dia"))).mid(1), bounds);
    QCOMPARE(cellsOf(lineStarting(text, QStringLiteral("10 a 15% VET"))), shareBounds);
    // The fixture's period is out of its reference somewhere, and incomplete marks move its flags.
    QVERIFY(expectedValues.join(QString()).contains(QStringLiteral("!")));
    if (!incompleteOnMonday.isEmpty())
        QVERIFY(expectedValues.join(QString()).contains(QStringLiteral("↓?!")));
}

QJsonArray TstQrScreenLayouts::readByPython(const QString& layoutCode, const Criteria& criteria,
                                            QString& problem)
{
    const QString python = pythonWithOpenpyxl();
    const QString csv = saved(layoutCode, criteria, QStringLiteral("linhas-%1.csv").arg(layoutCode));
    const QString xlsx = saved(layoutCode, criteria, QStringLiteral("linhas-%1.xlsx").arg(layoutCode));
    QProcess read;
    read.start(python, {QStringLiteral(KAV_TEST_DIR "/export_rows.py"), csv, xlsx});
    if (python.isEmpty() || csv.isEmpty() || xlsx.isEmpty() || !read.waitForFinished() ||
        read.exitCode() != 0) {
        problem = QString::fromUtf8(read.readAllStandardOutput() + read.readAllStandardError());
        return {};
    }
    return QJsonDocument::fromJson(read.readAllStandardOutput())
        .object()
        .value(QLatin1String("rows"))
        .toArray();
}

void TstQrScreenLayouts::exportsListTheOptionDishesThePagePrints_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("options");
    for (const bool options : {true, false}) {
        const char* printed = options ? "Imprime Opção" : "sem opção";
        QTest::addRow("04, %s", printed) << QStringLiteral("04") << PreparedReportFixture::WeekKey << options;
        QTest::addRow("05, %s", printed) << QStringLiteral("05") << PreparedReportFixture::WeekKey << options;
        QTest::addRow("07, %s", printed) << QStringLiteral("07") << PreparedReportFixture::DayKey << options;
    }
}

// With "Imprime Opção" the exports of the summaries hold the option dishes their page lists, one row
// per day served and nutrient, marked by the column opcao, with the figures the list prints; they
// never enter the rows of days and weeks. Read from the CSV and the workbook alike.
void TstQrScreenLayouts::exportsListTheOptionDishesThePagePrints()
{
    QFETCH(QString, layout);
    QFETCH(QString, key);
    QFETCH(bool, options);
    if (pythonWithOpenpyxl().isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL("python3-openpyxl is missing");
        QSKIP("python3-openpyxl is not installed");
    }
    QSqlDatabase db = QSqlDatabase::database(kConnection);
    if (key != PreparedReportFixture::DishKey) {
        const QString copied =
            PreparedReportFixture::copyDishFigures(db, PreparedReportFixture::DishKey, key);
        QVERIFY2(copied.isEmpty(), qPrintable(copied));
    }
    const auto removeCopy = qScopeGuard([&] { PreparedReportFixture::removeDishFigures(db, key); });
    Criteria criteria = layout == QLatin1String("07") ? Criteria{key, QDate(2025, 3, 7), options, {}, true}
                                                      : Criteria{key, QDate(2025, 3, 14), options, {}, true};
    QString problem;
    const QJsonArray rows = readByPython(layout, criteria, problem);
    QVERIFY2(!rows.isEmpty(), qPrintable(problem));
    // The printed list: "03/03 Almoço: Omelete (opção)" and the figures of the block's nutrients.
    QHash<QString, QStringList> printedFigures;
    for (const QString& line : run(layout, criteria).split(QLatin1Char('\n'))) {
        const QStringList cells = cellsOf(line);
        if (cells.value(0).endsWith(QStringLiteral(" (opção)")))
            printedFigures.insert(cells[0], cells.mid(1));
    }
    QCOMPARE(printedFigures.isEmpty(), !options);
    QSet<QString> listed;
    QSet<QString> codes;
    int optionRows = 0;
    for (const QJsonValue& value : rows) {
        const QJsonObject row = value.toObject();
        const QString mark = row.value(QLatin1String("opcao")).toString();
        QVERIFY2(mark == QLatin1String("S") || mark == QLatin1String("N"), qPrintable(mark));
        if (mark == QLatin1String("N")) {
            QVERIFY(row.value(QLatin1String("prato")).isNull());
            continue;
        }
        ++optionRows;
        if (layout != QLatin1String("07"))
            QCOMPARE(row.value(QLatin1String("linha")).toString(), QStringLiteral("prato_opcao"));
        const QString heading = QDate::fromString(row.value(QLatin1String("dia")).toString(), Qt::ISODate)
                                    .toString(QStringLiteral("dd/MM")) +
                                QLatin1Char(' ') + row.value(QLatin1String("servico")).toString() +
                                QStringLiteral(": ") + row.value(QLatin1String("prato")).toString() +
                                QStringLiteral(" (opção)");
        QVERIFY2(printedFigures.contains(heading), qPrintable(heading));
        listed.insert(heading);
        // Every nutrient the dish has (the fixture's dishes have more than the report prints).
        const QString code = row.value(QLatin1String("cod_nutriente")).toString();
        codes.insert(code);
        const qsizetype column = criteria.nutrients.indexOf(code);
        if (column < 0)
            continue;
        const QJsonValue number = row.value(QLatin1String("valor"));
        const QString figure = number.isNull() ? QString() : amount(number.toDouble());
        const bool incomplete = row.value(QLatin1String("incompleto")).toString() == QLatin1String("S");
        const QString printed =
            figure.isEmpty() && incomplete ? ValueFormatter::NoDataMark : figure + (incomplete ? "*" : "");
        QCOMPARE(printedFigures.value(heading).value(column), printed);
    }
    QCOMPARE(listed.size(), printedFigures.size());
    QCOMPARE(optionRows, int(printedFigures.size() * codes.size()));
    for (const QString& code : std::as_const(criteria.nutrients))
        QVERIFY2(!options || codes.contains(code), qPrintable(code));
}

void TstQrScreenLayouts::dataExportAgreesWithThePrintedText()
{
    const Criteria criteria = allNutrients();
    const ExportedRows read = readExport(exported(QStringLiteral("01"), criteria));
    const QString text = run(QStringLiteral("01"), criteria);
    // The first block prints the first eight nutrients; each dish's line, in order, against the
    // export's rows of that dish.
    const QString firstBlock = text.left(text.indexOf(QStringLiteral("Magnésio")));
    QStringList dishLines;
    QSet<QString> names;
    for (const FixtureDish& dish : PreparedReportFixture::dishes())
        names.insert(dish.dish);
    for (const QString& line : firstBlock.split(QLatin1Char('\n')))
        if (names.contains(cellsOf(line).value(0).remove(QStringLiteral(" (opção)"))))
            dishLines.append(line);
    const int nutrients = int(criteria.nutrients.size());
    QCOMPARE(dishLines.size(), read.rows.size() / nutrients);
    int compared = 0;
    for (int d = 0; d < dishLines.size(); ++d) {
        const QStringList cells = cellsOf(dishLines[d]).mid(2);
        for (int n = 0; n < 8; ++n) {
            const int row = d * nutrients + n;
            const QString value = read.at(row, "valor");
            const bool incomplete = read.at(row, "incompleto") == QLatin1String("S");
            // A value no ingredient has prints "s/d", not its mark alone.
            const QString printed = value.isEmpty() && incomplete
                                        ? ValueFormatter::NoDataMark
                                        : (value.isEmpty() ? QString() : amount(read.number(row, "valor"))) +
                                              (incomplete ? "*" : "");
            QCOMPARE(cells.value(n), printed);
            ++compared;
        }
    }
    QCOMPARE(compared, PreparedReportFixture::dishes().size() * 8);
}

namespace {

// A run of each layout that has a data export, with option dishes and NDpCal%.
QHash<QString, Criteria> exportCases()
{
    return {{QStringLiteral("01"), {PreparedReportFixture::DishKey, QDate(2025, 3, 4), true, {}, true}},
            {QStringLiteral("04"), kWeeks},
            {QStringLiteral("05"), kWeeks},
            {QStringLiteral("07"), {PreparedReportFixture::DayKey, QDate(2025, 3, 7), true, {}, true}}};
}

} // namespace

void TstQrScreenLayouts::dataExportsLoadIntoLibreOffice()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (soffice.isEmpty() || python.isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL("soffice (libreoffice-calc-nogui) or python3 is missing");
        QSKIP("soffice (libreoffice-calc-nogui) or python3 is not installed");
    }
    const QHash<QString, Criteria> layouts = exportCases();
    const QDir folder(m_dir.filePath(QStringLiteral("planilhas")));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    QStringList csvFiles;
    for (auto layout = layouts.cbegin(); layout != layouts.cend(); ++layout) {
        QFile file(folder.filePath(QStringLiteral("dados-%1.csv").arg(layout.key())));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(exported(layout.key(), layout.value()).toUtf8());
        csvFiles.append(file.fileName());
    }
    // Calc as a Brazilian office opens the file: ";" between fields, double quotes, UTF-8 (told
    // by the byte-order mark too), from line 1, Portuguese (Brazil) numbers (decimal comma),
    // quoted fields kept as texts (codes keep their zeros). A profile of its own, so that runs at
    // once do not meet.
    QProcess convert;
    convert.start(soffice, QStringList{QStringLiteral("--headless"),
                                       QStringLiteral("-env:UserInstallation=file://") +
                                           m_dir.filePath(QStringLiteral("libreoffice-perfil")),
                                       QStringLiteral("--infilter=CSV:59,34,76,1,,1046,true"),
                                       QStringLiteral("--convert-to"), QStringLiteral("xlsx"),
                                       QStringLiteral("--outdir"), folder.path()} +
                               csvFiles);
    QVERIFY(convert.waitForFinished(kOfficeWaitMs));
    QVERIFY2(convert.exitCode() == 0, convert.readAllStandardError().constData());
    for (const QString& csv : std::as_const(csvFiles)) {
        const QString xlsx = csv.chopped(3) + QStringLiteral("xlsx");
        QVERIFY2(QFile::exists(xlsx), qPrintable(convert.readAllStandardOutput()));
        QProcess check;
        check.start(python, {QStringLiteral(KAV_TEST_DIR "/xlsx_matches_csv.py"), csv, xlsx});
        QVERIFY(check.waitForFinished());
        const QString answer = QString::fromUtf8(check.readAllStandardOutput()).trimmed();
        QVERIFY2(check.exitCode() == 0,
                 qPrintable(csv + QLatin1Char('\n') + answer + check.readAllStandardError()));
        QVERIFY2(answer.startsWith(QStringLiteral("ok ")) && answer.mid(3).toInt() > 0, qPrintable(answer));
    }
}

void TstQrScreenLayouts::spreadsheetReadsBackAsTheReport_data()
{
    QTest::addColumn<QString>("layout");
    const QList<QString> layouts = exportCases().keys();
    for (const QString& layout : layouts)
        QTest::newRow(qPrintable(layout)) << layout;
}

void TstQrScreenLayouts::spreadsheetReadsBackAsTheReport()
{
    QFETCH(QString, layout);
    const QString python = pythonWithOpenpyxl();
    if (python.isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL("python3-openpyxl is missing");
        QSKIP("python3-openpyxl is not installed");
    }
    const Criteria criteria = exportCases().value(layout);
    const QString csv = saved(layout, criteria, QStringLiteral("planilha-%1.csv").arg(layout));
    const QString xlsx = saved(layout, criteria, QStringLiteral("planilha-%1.xlsx").arg(layout));
    QVERIFY(!csv.isEmpty() && !xlsx.isEmpty());
    QProcess check;
    check.start(python, {QStringLiteral(KAV_TEST_DIR "/xlsx_export_check.py"), csv, xlsx});
    QVERIFY(check.waitForFinished());
    const QStringList answer = QString::fromUtf8(check.readAllStandardOutput()).split(QLatin1Char('\n'));
    QVERIFY2(check.exitCode() == 0,
             qPrintable(answer.join(QLatin1Char('\n')) + check.readAllStandardError()));
    QCOMPARE(answer.value(0),
             QStringLiteral("ok %1").arg(readExport(exported(layout, criteria)).rows.size()));

    // The second sheet: the layout's title, then the first page's heading as label and value,
    // each as the page prints it.
    const QString printed = run(layout, criteria);
    const ReportLayout read = LayoutReader::readFile(
        kReports + QLatin1Char('/') + ReportCatalog::fileName(QStringLiteral("Zve413"), layout));
    QCOMPARE(answer.value(1).trimmed(), read.title);
    QStringList labels;
    for (const QString& line : answer.mid(2)) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (cells.size() < 2 || cells.value(1).isEmpty())
            continue;
        labels.append(cells[0]);
        QVERIFY2(printed.contains(cells[0] + QStringLiteral(": ") + cells[1]), qPrintable(line));
    }
    for (const QString& label : {QStringLiteral("Central de alimentação"), QStringLiteral("Tipo de cardápio"),
                                 QStringLiteral("Período")})
        QVERIFY2(labels.contains(label), qPrintable(labels.join(QLatin1Char('|'))));
    if (layout == QLatin1String("05") && qEnvironmentVariableIsSet("KAV_UPDATE_PICTURE"))
        writeSpreadsheetPicture(xlsx, QStringLiteral("spreadsheet"));
}

namespace {

// The figures with decimals a text shows ("1.024,7", "0,4*"), as numbers, in order.
QList<double> decimalFigures(const QString& text)
{
    static const QRegularExpression figure(
        QStringLiteral("(?<![\\d.,])-?\\d{1,3}(?:\\.\\d{3})*,\\d+(?![\\d,])"));
    QList<double> figures;
    for (auto match = figure.globalMatch(text); match.hasNext();)
        figures.append(match.next()
                           .captured()
                           .remove(QLatin1Char('.'))
                           .replace(QLatin1Char(','), QLatin1Char('.'))
                           .toDouble());
    return figures;
}

// The decimals a printed figure shows ("1.024,7" has one).
int decimalsShown(const QString& cell)
{
    static const QRegularExpression decimals(QStringLiteral(",(\\d+)"));
    const QRegularExpressionMatch match = decimals.match(cell);
    return match.hasMatch() ? int(match.capturedLength(1)) : 0;
}

// The cells' texts of an HTML report, one a line, and the data-value of those that have one
// against the figure they show: the value as stored, which rounds to the figure shown.
// `unrounded` counts the values with more decimals than the page prints.
QString htmlCellTexts(const QString& html, QStringList& disagreements, int* unrounded = nullptr)
{
    QXmlStreamReader xml(html);
    QString texts;
    QString cell;
    QString value;
    bool inCell = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("td")) {
            inCell = true;
            cell.clear();
            value = xml.attributes().value(QLatin1String("data-value")).toString();
        } else if (xml.isCharacters() && inCell) {
            cell += xml.text();
        } else if (xml.isEndElement() && xml.name() == QLatin1String("td")) {
            inCell = false;
            texts += cell + QLatin1Char('\n');
            const QList<double> shown = decimalFigures(cell);
            if (value.isEmpty() || shown.isEmpty())
                continue;
            const int decimals = decimalsShown(cell);
            const QString pattern = QStringLiteral("#,##0") +
                                    (decimals > 0 ? QStringLiteral(".") + QString(decimals, '0') : QString());
            if (!cell.startsWith(ValueFormatter::format(value.toDouble(), pattern)))
                disagreements.append(cell + QStringLiteral(" != ") + value);
            if (unrounded && std::abs(value.toDouble() - shown.constFirst()) > 1e-9)
                ++*unrounded;
        }
    }
    if (xml.hasError())
        disagreements.append(xml.errorString());
    return texts;
}

} // namespace

// One weekly report saved as PDF, text, HTML and CSV: the same figures in each, read by each
// format's convention, each rounded once from the value the data export carries.
void TstQrScreenLayouts::everyFigureIsTheSameInEveryFormat()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QList<double> fromPdf = decimalFigures(
        printedText(QStringLiteral("05"), kWeeks, m_dir.filePath(QStringLiteral("cruzado.pdf"))));
    QList<double> fromText =
        decimalFigures(readText(saved(QStringLiteral("05"), kWeeks, QStringLiteral("cruzado.txt"))));
    QStringList disagreements;
    int unrounded = 0;
    QList<double> fromHtml = decimalFigures(
        htmlCellTexts(readText(saved(QStringLiteral("05"), kWeeks, QStringLiteral("cruzado.html"))),
                      disagreements, &unrounded));
    QVERIFY2(disagreements.isEmpty(), qPrintable(disagreements.join(QLatin1Char('\n'))));
    // data-value holds the stored value, not the printed one: most of the fixture's means have
    // more decimals than the page prints.
    QVERIFY2(unrounded > 10, qPrintable(QString::number(unrounded)));
    QVERIFY(fromText.size() > 100);
    for (QList<double>* figures : {&fromPdf, &fromText, &fromHtml})
        std::sort(figures->begin(), figures->end());
    QCOMPARE(fromPdf, fromText);
    QCOMPARE(fromHtml, fromText);

    // Every day's value of the export, rounded to the page's decimal, is among them.
    const ExportedRows csv = readExport(exported(QStringLiteral("05"), kWeeks));
    int days = 0;
    for (int row = 0; row < csv.rows.size(); ++row) {
        if (csv.at(row, "linha") != QLatin1String("dia") || csv.at(row, "valor").isEmpty())
            continue;
        const double value = csv.number(row, "valor");
        const double printed = std::round(value * 10) / 10;
        QVERIFY2(std::any_of(fromText.cbegin(), fromText.cend(),
                             [&](double f) { return std::abs(f - printed) < 1e-9; }),
                 qPrintable(csv.rows[row].join(QLatin1Char(';'))));
        ++days;
    }
    QVERIFY(days > 0);
}

void TstQrScreenLayouts::writeSpreadsheetPicture(const QString& xlsx, const QString& name)
{
    // The workbook in a real Calc window on a virtual display (the desktop Calc, not the nogui
    // package the tests use: scripts/spreadsheet-picture says what it needs).
    QProcess picture;
    picture.start(QStringLiteral(KAV_SOURCE_DIR "/scripts/spreadsheet-picture"),
                  {xlsx, QStringLiteral(KAV_SOURCE_DIR "/docs/%1.png").arg(name)});
    QVERIFY(picture.waitForFinished(kOfficeWaitMs));
    QVERIFY2(picture.exitCode() == 0, picture.readAllStandardError().constData());
}

void TstQrScreenLayouts::optionDishFollowsTheMainDish()
{
    const QStringList lines =
        run(QStringLiteral("01"), {PreparedReportFixture::DishKey, QDate(2025, 3, 4), true, {}, false})
            .split(QLatin1Char('\n'));
    qsizetype chicken = -1;
    qsizetype omelette = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed().startsWith(QStringLiteral("Frango ensopado")))
            chicken = i;
        if (lines[i].trimmed().startsWith(QStringLiteral("Omelete (opção)")))
            omelette = i;
    }
    QVERIFY(chicken > 0);
    QCOMPARE(omelette, chicken + 1);
}

void TstQrScreenLayouts::dailyChartHasEnergyOfEachDay()
{
    const QString text =
        run(QStringLiteral("07"), {PreparedReportFixture::DayKey, QDate(2025, 3, 7), true, {}, true});
    for (int day = 0; day < 5; ++day) {
        const QString label = QDate(2025, 3, 3).addDays(day).toString(QStringLiteral("dd/MM"));
        // Grouped in thousands as the chart's axis is ("1.049").
        const QString energy = ValueFormatter::format(980 * (1 + 0.07 * day), QStringLiteral("#,##0"));
        bool found = false;
        for (const QString& line : text.split(QLatin1Char('\n')))
            found =
                found || (line.startsWith(label) && line.contains(QLatin1Char('#')) && line.endsWith(energy));
        QVERIFY2(found, qPrintable(label + QLatin1Char(' ') + energy + QLatin1Char('\n') + text));
    }
}

void TstQrScreenLayouts::yearKeepsHeadingsWithTheirRows_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("heading"); // how the day's or week's heading starts
    QTest::addRow("01 por dia") << "01" << PreparedReportFixture::YearDishKey << "";
    QTest::addRow("04 por semana") << "04" << PreparedReportFixture::YearWeekKey << "Semana ";
    QTest::addRow("05 por semana") << "05" << PreparedReportFixture::YearWeekKey << "Semana ";
}

void TstQrScreenLayouts::yearKeepsHeadingsWithTheirRows()
{
    QFETCH(QString, layout);
    QFETCH(QString, key);
    QFETCH(QString, heading);
    TReportDesignerDialog dialog(m_context->context());
    Screen screen;
    screen.criteria = {key, PreparedReportFixture::YearLast, true, {}, true};
    loadLayout(dialog, screen, layout);
    const std::shared_ptr<const PageModel> model = dialog.Prepare();
    QVERIFY(model);
    QVERIFY2(model->pages.size() > 5, qPrintable(QString::number(model->pages.size())));
    int withoutHeading = 0;
    int endingOnHeading = 0;
    int continued = 0;
    for (int p = 0; p < model->pages.size(); ++p) {
        // The report's body on the page, band by band: its kind and its first text.
        QList<std::pair<BandKind, QString>> body;
        int band = -1;
        for (const PageItem& item : model->pages[p].items) {
            if (item.band == band || item.bandKind == BandKind::Title ||
                item.bandKind == BandKind::PageHeader || item.bandKind == BandKind::ColumnHeader ||
                item.bandKind == BandKind::PageFooter || item.kind != PageItem::Kind::Text)
                continue;
            band = item.band;
            body.append({item.bandKind, item.text});
        }
        const bool hasRows = std::any_of(body.cbegin(), body.cend(), [](const auto& b) {
            return b.first == BandKind::Detail || b.first == BandKind::GroupFooter;
        });
        if (p > 0 && hasRows) {
            const bool headed = body.first().first == BandKind::GroupHeader &&
                                (heading.isEmpty() ? body.first().second.contains(QStringLiteral("/2025"))
                                                   : body.first().second.startsWith(heading));
            withoutHeading += headed ? 0 : 1;
            continued += body.first().second.contains(QStringLiteral("(continuação)")) ? 1 : 0;
        }
        if (p + 1 < model->pages.size() && !body.isEmpty() && body.last().first == BandKind::GroupHeader)
            ++endingOnHeading;
    }
    QCOMPARE(withoutHeading, 0);
    QCOMPARE(endingOnHeading, 0);
    QVERIFY(continued > 0);
}

void TstQrScreenLayouts::dailyChartDrawsTheMenuTypesEnergyReference()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL("pdftotext (poppler-utils) is missing");
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    // The menu type's energy for a day's menu: 700 to 900 kcal (the looser rows yield).
    const Criteria days{PreparedReportFixture::DayKey, QDate(2025, 3, 7), true, {}, true};
    const QString pdf = m_dir.filePath(QStringLiteral("r07.pdf"));
    const QString text = printedText(QStringLiteral("07"), days, pdf);
    QVERIFY2(text.contains(QStringLiteral("mín. 700")) && text.contains(QStringLiteral("máx. 900")),
             qPrintable(text));
    if (qEnvironmentVariableIsSet("KAV_UPDATE_PICTURE"))
        writeReportPicture(pdf, QStringLiteral("report-chart"));

    QSqlQuery query(QSqlDatabase::database(kConnection));
    QVERIFY(query.exec(QStringLiteral("UPDATE TIPOCARD SET CDCONJREF = NULL")));
    const QString without = printedText(QStringLiteral("07"), days, pdf);
    QVERIFY(query.exec(QStringLiteral("UPDATE TIPOCARD SET CDCONJREF = 'EX'")));
    QVERIFY2(without.contains(QStringLiteral("Energia por dia")), qPrintable(without));
    QVERIFY2(!without.contains(QStringLiteral("mín. ")) && !without.contains(QStringLiteral("máx. ")),
             qPrintable(without));
}

// The preview's pages, laid out on a worker and handed over one by one, are the pages of the
// report laid out at once: the same items in the same places, only the count of pages reading "?"
// until the last page is there; the finished report then has the count filled in everywhere.
void TstQrScreenLayouts::yearLaidOutPageByPageEqualsOneShot_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("extraNutrients");
    QTest::addRow("01 por dia, um ano") << "01" << PreparedReportFixture::YearDishKey << QStringList();
    QTest::addRow("04 por semana, um ano") << "04" << PreparedReportFixture::YearWeekKey << QStringList();
    QTest::addRow("05 por semana, um ano") << "05" << PreparedReportFixture::YearWeekKey << QStringList();
    QTest::addRow("01 em dois blocos de colunas")
        << "01" << PreparedReportFixture::DishKey << PreparedReportFixture::extraNutrients();
}

void TstQrScreenLayouts::yearLaidOutPageByPageEqualsOneShot()
{
    QFETCH(QString, layout);
    QFETCH(QString, key);
    QFETCH(QStringList, extraNutrients);
    TReportDesignerDialog dialog(m_context->context());
    Screen screen;
    screen.criteria = {
        key, extraNutrients.isEmpty() ? PreparedReportFixture::YearLast : QDate(2025, 3, 4), true, {}, true};
    screen.criteria.nutrients += extraNutrients;
    loadLayout(dialog, screen, layout);
    std::optional<ReportSnapshot> snapshot = dialog.ReadData();
    QVERIFY(snapshot);
    QCOMPARE(int(snapshot->data.size()), extraNutrients.isEmpty() ? 1 : 2);
    PageLayouter::Options options;
    options.now = snapshot->now;
    const PageModel oneShot = PageLayouter::layOut(snapshot->layout, snapshot->parts(), options);
    const int total = int(oneShot.pages.size());
    QVERIFY2(total > (extraNutrients.isEmpty() ? 5 : 1), qPrintable(QString::number(total)));

    BackgroundLayout background(std::move(*snapshot));
    QList<Page> handedOver;
    connect(&background, &BackgroundLayout::pagesReady, this,
            [&] { handedOver.append(background.takePages()); });
    QSignalSpy finished(&background, &BackgroundLayout::finished);
    background.start();
    QVERIFY(finished.wait(kLayoutWaitMs));
    QVERIFY2(background.error().isEmpty(), qPrintable(background.error()));
    QCOMPARE(handedOver.size(), total);

    int unknownCounts = 0;
    for (int p = 0; p < total; ++p) {
        const QStringList expected = described(oneShot.pages[p]);
        QStringList interim = described(handedOver[p]);
        for (QString& item : interim)
            if (item.endsWith(QStringLiteral(" de ?]"))) {
                item = item.left(item.size() - 2) + QString::number(total) + QLatin1Char(']');
                ++unknownCounts;
            }
        QCOMPARE(interim, expected);
        QCOMPARE(described(background.result().pages[p]), expected);
    }
    QCOMPARE(unknownCounts, total); // every page's footer said it did not know the count yet
}

// Printed from a preview that opened before the year was laid out, every sheet still carries the
// exact number of pages.
void TstQrScreenLayouts::previewOfAYearPrintsEveryPageWithItsCount()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL("pdftotext (poppler-utils) is missing");
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    auto& dialogs = m_context->dialogs();
    TReportDesignerDialog dialog(m_context->context());
    Screen screen;
    screen.criteria = {PreparedReportFixture::YearDishKey, PreparedReportFixture::YearLast, true, {}, true};
    loadLayout(dialog, screen, QStringLiteral("01"));
    const QString pdf = m_dir.filePath(QStringLiteral("year-from-preview.pdf"));
    dialogs.queueAnswer(Kav::DialogKind::Preview, QStringLiteral("print"));
    dialogs.queueAnswer(Kav::DialogKind::File, pdf);
    const bool previewed = dialog.Preview();
    QVERIFY(previewed);

    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(pdftotext.waitForFinished());
    QStringList sheets = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (sheets.last().trimmed().isEmpty())
        sheets.removeLast(); // after the last sheet's form feed
    QVERIFY2(sheets.size() > 5, qPrintable(QString::number(sheets.size())));
    for (int p = 0; p < sheets.size(); ++p)
        QVERIFY2(sheets[p].contains(QStringLiteral("Página %1 de %2").arg(p + 1).arg(sheets.size())),
                 qPrintable(QStringLiteral("sheet %1").arg(p + 1)));
}

void TstQrScreenLayouts::printedPdfHasDishesAndDayTotal()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL("pdftotext (poppler-utils) is missing");
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    TReportDesignerDialog dialog(m_context->context());
    Screen screen;
    screen.criteria = {PreparedReportFixture::DishKey, QDate(2025, 3, 4), true, {}, true};
    loadLayout(dialog, screen, QStringLiteral("01"));
    const QString pdf = m_dir.filePath(QStringLiteral("r01.pdf"));
    QVERIFY(dialog.SaveToFile(pdf));
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(pdftotext.waitForFinished());
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    double tuesday = 0;
    for (const FixtureDish& dish : PreparedReportFixture::dishes()) {
        if (dish.day == QDate(2025, 3, 4))
            tuesday += dish.values[0].toDouble();
        QVERIFY2(text.contains(dish.dish), qPrintable(dish.dish));
    }
    // 212 + 161 + 76 + 56 + 270 + 130 kcal on Tuesday.
    QCOMPARE(tuesday, 905.0);
    QVERIFY2(text.contains(QStringLiteral("905,0")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Página 1 de ")));
    QVERIFY(text.contains(QStringLiteral("Laranja, suco natural (TACO 565)")));
    if (qEnvironmentVariableIsSet("KAV_UPDATE_PICTURE"))
        writeReportPicture(pdf, QStringLiteral("report"));
}

QString TstQrScreenLayouts::printedText(const QString& layoutCode, const Criteria& criteria,
                                        const QString& pdf)
{
    TReportDesignerDialog dialog(m_context->context());
    Screen screen;
    screen.criteria = criteria;
    loadLayout(dialog, screen, layoutCode);
    if (!dialog.SaveToFile(pdf))
        return {};
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    pdftotext.waitForFinished();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

void TstQrScreenLayouts::printedWeekPdfIsSearchableAsWritten()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL("pdftotext (poppler-utils) is missing");
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    const QString pdf = m_dir.filePath(QStringLiteral("r05.pdf"));
    const QString text = printedText(QStringLiteral("05"), kWeeks, pdf);
    QVERIFY2(text.contains(QStringLiteral("Referência: Exemplo (não oficial)")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("↓")));
    // Words read back as they were written: "filiais", not a ligature of "fi".
    QVERIFY2(text.contains(QStringLiteral("todas as filiais da central")), qPrintable(text));
    for (char16_t ligature = 0xFB00; ligature <= 0xFB06; ++ligature)
        QVERIFY2(!text.contains(QChar(ligature)), qPrintable(text));
    if (qEnvironmentVariableIsSet("KAV_UPDATE_PICTURE"))
        writeReportPicture(pdf, QStringLiteral("report-week"));
}

// With ten nutrients the option dishes are listed after each block's summary, under that
// block's headings: the second block's list holds the ninth and tenth nutrients' figures.
void TstQrScreenLayouts::optionListFollowsEachBlockOfNutrients()
{
    QSqlDatabase db = QSqlDatabase::database(kConnection);
    const QString copied = PreparedReportFixture::copyDishFigures(db, PreparedReportFixture::DishKey,
                                                                  PreparedReportFixture::WeekKey);
    const auto removeCopy =
        qScopeGuard([&] { PreparedReportFixture::removeDishFigures(db, PreparedReportFixture::WeekKey); });
    QVERIFY2(copied.isEmpty(), qPrintable(copied));
    Criteria criteria = kWeeks;
    criteria.nutrients += PreparedReportFixture::extraNutrients().mid(0, 2);
    TReportDesignerDialog dialog(m_context->context());
    Screen screen;
    screen.criteria = criteria;
    loadLayout(dialog, screen, QStringLiteral("04"));
    const std::shared_ptr<const PageModel> model = dialog.Prepare();
    QVERIFY(model);
    // Each page of the list: its column headings' block, its heading continued or not.
    QStringList listPages;
    int firstListPage = 0;
    for (int p = 0; p < model->pages.size(); ++p) {
        QString block;
        bool listed = false;
        for (const PageItem& item : model->pages[p].items) {
            if (item.bandKind == BandKind::ColumnHeader &&
                item.text.startsWith(QStringLiteral("Nutrientes ")))
                block = item.text;
            if (item.bandKind == BandKind::List && item.text.startsWith(QStringLiteral("Pratos de opção")))
                listed = true;
        }
        if (listed) {
            listPages.append(block);
            firstListPage = firstListPage > 0 ? firstListPage : p + 1;
        }
    }
    QCOMPARE(listPages, QStringList({QStringLiteral("Nutrientes 1 a 8 de 10"),
                                     QStringLiteral("Nutrientes 9 a 10 de 10")}));
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() ||
        !qEnvironmentVariableIsSet("KAV_UPDATE_PICTURE"))
        return;
    const QString pdf = m_dir.filePath(QStringLiteral("opcoes.pdf"));
    QVERIFY(dialog.SaveToFile(pdf));
    writeReportPicture(pdf, QStringLiteral("report-options"), firstListPage);
}

void TstQrScreenLayouts::writeReportPicture(const QString& pdf, const QString& name, int page)
{
    const QString base = m_dir.filePath(QStringLiteral("report"));
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-f"),
                    QString::number(page), QStringLiteral("-l"), QString::number(page), QStringLiteral("-r"),
                    QString::number(kPictureDpi), pdf, base});
    QVERIFY(pdftoppm.waitForFinished());
    QVERIFY2(pdftoppm.exitCode() == 0, pdftoppm.readAllStandardError().constData());
    const QString target = QStringLiteral(KAV_SOURCE_DIR "/docs/") + name + QStringLiteral(".png");
    QFile::remove(target);
    QVERIFY(QFile::copy(base + QStringLiteral(".png"), target));
}

void TstQrScreenLayouts::layoutsPrintTheSameOnEveryEngine_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addRow("PostgreSQL") << "KAV_TEST_PG_URL";
    QTest::addRow("Firebird") << "KAV_TEST_FB_URL";
}

void TstQrScreenLayouts::layoutsPrintTheSameOnEveryEngine()
{
    QFETCH(QString, variable);
    const QString testUrl = qEnvironmentVariable(variable.toLatin1().constData());
    if (testUrl.isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL(qPrintable(variable + QStringLiteral(" is not set")));
        QSKIP(qPrintable(variable + QStringLiteral(" is not set (scripts/start-services writes it)")));
    }
    const QString url = siblingUrl(testUrl, kServerDatabase);
    const QString created = createServerDatabase(testUrl, url);
    QVERIFY2(created.isEmpty(), qPrintable(created));
    const QString connection = QStringLiteral("qrlayouts-") + QString::fromLatin1(QTest::currentDataTag());
    {
        QSqlDatabase db;
        try {
            db = Kav::DatabaseConnection::open(url, connection);
        } catch (const Kav::Exception& error) {
            QFAIL(qPrintable(error.message()));
        }
        dropFixtureTables(db);
        const QString error = PreparedReportFixture::fill(db);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    // The data export of a run, line by line, as the embedded engine writes it.
    const auto sameExport = [&](const QString& layout, const Criteria& criteria) {
        const QStringList there = exported(layout, criteria, connection).split(QLatin1Char('\n'));
        const QStringList here = exported(layout, criteria).split(QLatin1Char('\n'));
        for (qsizetype line = 0; line < std::max(there.size(), here.size()); ++line)
            QVERIFY2(there.value(line) == here.value(line),
                     qPrintable(QStringLiteral("%1, line %2:\n%3\n%4")
                                    .arg(layout)
                                    .arg(line + 1)
                                    .arg(there.value(line), here.value(line))));
    };
    // The same cases as the golden files, which the embedded engine printed.
    for (const GoldenCase& golden : goldenCases()) {
        QCOMPARE(run(golden.layout, golden.criteria, connection), readText(goldenFile(golden.tag)));
        sameExport(golden.layout, golden.criteria);
        if (QTest::currentTestFailed())
            return;
    }
    // And the exports with NDpCal%, which no golden case asks for.
    const QHash<QString, Criteria> cases = exportCases();
    for (auto it = cases.cbegin(); it != cases.cend() && !QTest::currentTestFailed(); ++it)
        sameExport(it.key(), it.value());
    Kav::DatabaseConnection::close(connection);
}

QTEST_MAIN(TstQrScreenLayouts)
#include "tst_qrscreenlayouts.moc"
