// The screen's layouts with any number of nutrients, from one to the whole catalogue, read from the
// page model the engine produces (no widgets, no client context): as many nutrient columns as
// were chosen, every figure under its own heading, no text wider than its box, no page opening on
// a lone total or closing on a lone heading.
//
// The prepared figures are replaced by ones that name their nutrient: per dish, nutrient k of the
// catalogue has kPerDish * k. Any figure a layout prints (a dish, a day's sum, a week's mean, an
// option dish) is then proportional to k, so the figures of one printed row, divided by the k of
// the heading each stands under, agree; a figure under another nutrient's heading does not.

#include "DatabaseConnection.h"
#include "DatabaseUrl.h"
#include "KavException.h"
#include "LayoutReader.h"
#include "NutrientCatalogue.h"
#include "PageModel.h"
#include "PreparedReportFixture.h"
#include "Qrddlgs.h"
#include "ReportCatalog.h"
#include "ReportRun.h"
#include "TextWrapper.h"

#include <optional>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using namespace Qr;

struct RunCase
{
    QString layout;
    int nutrients = 0; // the first ones of the catalogue; 0: all of them
    bool options = true;
    bool year = false;
};
Q_DECLARE_METATYPE(RunCase)

namespace {

const QString kReports = QStringLiteral(KAV_SOURCE_DIR "/reports");
const QString kConnection = QStringLiteral("qrblocks");
// Beside the servers' test database, apart from every other test's tables.
const QString kServerDatabase = QStringLiteral("kavqrblocks");
const QDateTime kPrintedAt(QDate(2025, 3, 10), QTime(14, 30));
constexpr double kPerDish = 10;
// A printed figure has one decimal: it stands for any value within this much of it.
constexpr double kPrintedHalfStep = 0.051;
// Measured widths differ a little from the width the layouter measured with.
constexpr double kWidthToleranceMm = 0.2;
const QStringList kLayouts = {"01", "04", "05", "07"};
// Around each block boundary, and the whole catalogue (0).
const QList<int> kNutrientCounts = {1, 8, 9, 16, 17, 24, 25, 0};
// A year is long: its cases take the boundaries that open a block, and the whole catalogue.
const QList<int> kYearNutrientCounts = {1, 9, 17, 0};

int catalogueSize()
{
    return int(KavDb::nutrientCatalogue().size());
}

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

// A dish name as long as the column holds, and a nutrient name longer than a column heading.
const QString kLongDish = QStringLiteral("Escondidinho de mandioca c/ carne moída");
const QString kLongNutrient = QStringLiteral("Carboidrato (disponível e insolúvel)");
constexpr int kLongNutrientPlace = 4;

// The nutrients' names as the layouts print them, in the catalogue's order.
QStringList nutrientNames()
{
    QStringList names;
    for (const KavDb::Nutrient& nutrient : KavDb::nutrientCatalogue())
        names.append(QString::fromUtf8(nutrient.name));
    names[kLongNutrientPlace - 1] = kLongNutrient;
    return names;
}

// The figures of each dish behind the reports (which the option dishes are listed from): the
// per-dish report's dishes, under each report's key (the year's under the year's keys).
QString fillDishFigures(QSqlDatabase db)
{
    const QList<std::pair<QString, QString>> copies = {
        {PreparedReportFixture::DishKey, PreparedReportFixture::DishKey},
        {PreparedReportFixture::DishKey, PreparedReportFixture::DayKey},
        {PreparedReportFixture::DishKey, PreparedReportFixture::WeekKey},
        {PreparedReportFixture::YearDishKey, PreparedReportFixture::YearDishKey},
        {PreparedReportFixture::YearDishKey, PreparedReportFixture::YearWeekKey}};
    for (const auto& [source, target] : copies)
        if (const QString error = PreparedReportFixture::copyDishFigures(db, source, target);
            !error.isEmpty())
            return error;
    return {};
}

// Gives every prepared report every nutrient of the catalogue, each with kPerDish * k per dish
// (the first nutrient's rows copied under the others' codes), one nutrient a long name and the
// option dishes of a month a name as long as the column holds. Empty text, or the fault.
QString spreadNutrients(QSqlDatabase db)
{
    try {
        KavDb::ensureNutrients(db);
    } catch (const Kav::Exception& error) {
        return error.message();
    }
    if (const QString error = fillDishFigures(db); !error.isEmpty())
        return error;
    QSqlQuery query(db);
    const QString code = QString::fromLatin1(KavDb::nutrientCatalogue()[kLongNutrientPlace - 1].code);
    if (!query.exec(QStringLiteral("UPDATE NUTRIENTE SET NMNUTRIENTE = %1 WHERE CDNUTRIENTE = %2")
                        .arg(quoted(kLongNutrient), quoted(code))) ||
        !query.exec(
            QStringLiteral(
                "UPDATE NUTRICARDPRATO SET NMPRATO = %1 WHERE IDOPCAO = 'S' AND NRSEQUNUTR IN (%2, %3)")
                .arg(quoted(kLongDish), quoted(PreparedReportFixture::WeekKey),
                     quoted(PreparedReportFixture::DayKey))))
        return query.lastError().text();
    const QString first = QString::fromLatin1(KavDb::nutrientCatalogue().first().code);
    for (const QString& table : {QStringLiteral("NUTRICARD"), QStringLiteral("NUTRICARDPRATO")}) {
        // PostgreSQL knows the tables by their names in lower case.
        const QSqlRecord record = db.record(table).isEmpty() ? db.record(table.toLower()) : db.record(table);
        if (!query.exec(QStringLiteral("DELETE FROM %1 WHERE CDNUTRIENTE IS NOT NULL AND CDNUTRIENTE <> %2")
                            .arg(table, quoted(first))) ||
            !query.exec(QStringLiteral("UPDATE %1 SET VRNUTRIENTE = %2 WHERE CDNUTRIENTE = %3")
                            .arg(table)
                            .arg(kPerDish)
                            .arg(quoted(first))) ||
            !query.exec(QStringLiteral("SELECT MAX(NRLINHA) FROM %1").arg(table)) || !query.next())
            return table + QStringLiteral(": ") + query.lastError().text();
        const int lineStride = query.value(0).toInt() + 1;
        for (int k = 2; k <= catalogueSize(); ++k) {
            const KavDb::Nutrient& nutrient = KavDb::nutrientCatalogue()[k - 1];
            const QHash<QString, QString> replaced = {
                {"NRLINHA", QStringLiteral("NRLINHA + %1").arg(lineStride * (k - 1))},
                {"CDNUTRIENTE", quoted(QString::fromLatin1(nutrient.code))},
                {"NMNUTRIENTE", quoted(QString::fromUtf8(nutrient.name))},
                {"SGUNIDADE", quoted(QString::fromUtf8(nutrient.unit))},
                {"VRNUTRIENTE", QString::number(kPerDish * k)}};
            QStringList columns;
            QStringList values;
            for (int c = 0; c < record.count(); ++c) {
                const QString column = record.fieldName(c).toUpper();
                columns.append(column);
                values.append(replaced.value(column, column));
            }
            const QString sql =
                QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %1 WHERE CDNUTRIENTE = %4")
                    .arg(table, columns.join(QLatin1Char(',')), values.join(QLatin1Char(',')), quoted(first));
            if (!query.exec(sql))
                return sql + QStringLiteral(": ") + query.lastError().text();
        }
    }
    return {};
}

QString keyFor(const RunCase& run)
{
    if (run.year)
        return run.layout == QLatin1String("01") || run.layout == QLatin1String("07")
                   ? PreparedReportFixture::YearDishKey
                   : PreparedReportFixture::YearWeekKey;
    if (run.layout == QLatin1String("01"))
        return PreparedReportFixture::DishKey;
    return run.layout == QLatin1String("07") ? PreparedReportFixture::DayKey : PreparedReportFixture::WeekKey;
}

// What the screen binds for these criteria: every criterion, and the nutrient codes past the
// layout's declared columns too.
TParams paramsFor(const ReportLayout& layout, const RunCase& run)
{
    const QDate first = run.year ? PreparedReportFixture::YearFirst : QDate(2025, 3, 3);
    const QDate last = run.year ? PreparedReportFixture::YearLast : QDate(2025, 3, 31);
    const QHash<QString, QVariant> values = {
        {"P_CDFILCENTZVE", PreparedReportFixture::Central},
        {"P_NMFILCENTZVE", QStringLiteral("Central de Alimentação Norte")},
        {"P_CDTIPOCARD", QStringLiteral("0000000001")},
        {"P_NMTIPOCARD", QStringLiteral("Ensino fundamental - parcial")},
        {"P_NRSEQUNUTR", keyFor(run)},
        {"P_DTINICIAL", first.startOfDay()},
        {"P_DTFINAL", last.startOfDay()},
        {"P_NDPCAL", QStringLiteral("S")},
        {"P_FILNDPCAL", PreparedReportFixture::Central},
        {"P_LISTATPRATO", QStringLiteral("X")},
        {"P_TODOSTPRATO", QStringLiteral("T")},
        {"P_OPCAO", run.options ? QStringLiteral("X") : QStringLiteral("N")},
        {"P_TODASOPCAO", run.options ? QStringLiteral("T") : QStringLiteral("X")},
    };
    TParams params = layout.createParams();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (Qrddlgs::ExistParam(params, it.key()))
            params.ParamByName(it.key()).setValue(it.value());
    const int count = run.nutrients > 0 ? run.nutrients : catalogueSize();
    for (int k = 1; k <= count; ++k) {
        const QString name = QStringLiteral("P_NUTRIENTE%1").arg(k);
        if (!Qrddlgs::ExistParam(params, name))
            params.Add(name, TFieldType::ftString);
        params.ParamByName(name).setAsString(QString::fromLatin1(KavDb::nutrientCatalogue()[k - 1].code));
    }
    return params;
}

PageModel layOut(const QSqlDatabase& db, const RunCase& run)
{
    const ReportLayout layout = LayoutReader::readFile(
        kReports + QLatin1Char('/') + ReportCatalog::fileName(QStringLiteral("Zve413"), run.layout));
    return ReportRun(db, layout, paramsFor(layout, run), kPrintedAt).pages();
}

// A figure as printed ("1.234,5", "12,0*", "736,0 ↓" below its reference); none for any other text.
std::optional<double> figureOf(QString text)
{
    if (text.endsWith(QStringLiteral(" ↓")) || text.endsWith(QStringLiteral(" ↑")))
        text.chop(2);
    if (text.endsWith(QLatin1Char('*')))
        text.chop(1);
    static const QRegularExpression figure(QStringLiteral("^-?[0-9]{1,3}(\\.[0-9]{3})*(,[0-9]+)?$"));
    if (!figure.match(text).hasMatch())
        return std::nullopt;
    return text.remove(QLatin1Char('.')).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

struct Heading
{
    int nutrient; // k: its place in the catalogue, from 1
    double left;
    double right;
};

// The nutrient headings of a page: column-header texts that name a nutrient, whole or cut with
// "…" (its whole name is then printed after the report).
QList<Heading> headingsOf(const Page& page)
{
    static const QStringList names = nutrientNames();
    const QChar ellipsis(0x2026);
    QList<Heading> headings;
    for (const PageItem& item : page.items) {
        if (item.bandKind != BandKind::ColumnHeader || item.kind != PageItem::Kind::Text)
            continue;
        qsizetype k = names.indexOf(item.text);
        if (k < 0 && item.text.endsWith(ellipsis))
            for (qsizetype n = 0; n < names.size() && k < 0; ++n)
                if (names[n].startsWith(item.text.chopped(1)))
                    k = n;
        if (k >= 0)
            headings.append({int(k) + 1, item.rect.left(), item.rect.right()});
    }
    return headings;
}

bool isBody(const PageItem& item)
{
    return item.bandKind == BandKind::Detail || item.bandKind == BandKind::GroupFooter ||
           item.bandKind == BandKind::Summary || item.bandKind == BandKind::List ||
           item.bandKind == BandKind::GroupHeader;
}

QString describe(const RunCase& run)
{
    return QStringLiteral("%1, %2 nutrients, %3, %4")
        .arg(run.layout)
        .arg(run.nutrients > 0 ? run.nutrients : catalogueSize())
        .arg(run.options ? QStringLiteral("options") : QStringLiteral("no options"),
             run.year ? QStringLiteral("year") : QStringLiteral("month"));
}

// What one report shows wrong, one line per fault; empty when nothing is.
class PageChecks
{
public:
    explicit PageChecks(const PageModel& model) : m_model(model) {}

    QStringList faults(int chosen)
    {
        checkColumns(chosen);
        for (int p = 0; p < m_model.pages.size(); ++p) {
            checkFigures(p);
            checkWidths(p);
            checkKeepTogether(p);
        }
        checkCutTextsAreGivenWhole();
        return m_faults;
    }
    // The figures compared with their headings: all of them, and the option dishes' (a list).
    int figures() const { return m_figures; }
    int listFigures() const { return m_listFigures; }

private:
    void fault(int page, const QString& what)
    {
        m_faults.append(QStringLiteral("page %1: %2").arg(page + 1).arg(what));
    }

    void checkColumns(int chosen)
    {
        QSet<int> printed;
        for (const Page& page : m_model.pages)
            for (const Heading& heading : headingsOf(page))
                printed.insert(heading.nutrient);
        if (printed.size() != chosen ||
            (chosen > 0 && *std::max_element(printed.cbegin(), printed.cend()) != chosen))
            m_faults.append(
                QStringLiteral("%1 nutrient columns printed of %2 chosen").arg(printed.size()).arg(chosen));
    }

    // Each band's figures over the k of their headings must agree (within the printed rounding):
    // the intervals each figure allows must meet. An option dish is one dish: kPerDish.
    void checkFigures(int p)
    {
        const Page& page = m_model.pages[p];
        const QList<Heading> headings = headingsOf(page);
        if (headings.isEmpty())
            return;
        const double nutrientArea =
            std::min_element(headings.cbegin(), headings.cend(), [](const Heading& a, const Heading& b) {
                return a.left < b.left;
            })->left;
        QHash<int, std::pair<double, double>> allowed; // per band: the ratio's interval
        for (const PageItem& item : page.items) {
            const std::optional<double> figure = figureOf(item.text);
            if (!isBody(item) || !figure || item.rect.center().x() < nutrientArea)
                continue;
            const auto heading = std::find_if(headings.cbegin(), headings.cend(), [&](const Heading& h) {
                return item.rect.left() >= h.left - kWidthToleranceMm &&
                       item.rect.right() <= h.right + kWidthToleranceMm;
            });
            if (heading == headings.cend()) {
                fault(p, QStringLiteral("figure %1 under no heading").arg(item.text));
                continue;
            }
            ++m_figures;
            m_listFigures += item.bandKind == BandKind::List ? 1 : 0;
            const double low = (*figure - kPrintedHalfStep) / heading->nutrient;
            const double high = (*figure + kPrintedHalfStep) / heading->nutrient;
            auto& interval = allowed[item.band];
            if (interval == std::pair<double, double>())
                interval =
                    item.bandKind == BandKind::List ? std::pair(kPerDish, kPerDish) : std::pair(low, high);
            interval = {std::max(interval.first, low), std::min(interval.second, high)};
            if (interval.first > interval.second) {
                fault(p, QStringLiteral("figure %1 is not %2's")
                             .arg(item.text,
                                  QString::fromUtf8(KavDb::nutrientCatalogue()[heading->nutrient - 1].name)));
                interval = {low, high};
            }
        }
    }

    void checkWidths(int p)
    {
        for (const PageItem& item : m_model.pages[p].items) {
            if (item.kind != PageItem::Kind::Text || item.text.isEmpty())
                continue;
            const TextWrapper measure(m_model.fontFamily, item.style.fontSize, item.style.bold,
                                      item.style.italic);
            const double width = measure.widthMm(item.text);
            if (width > item.rect.width() + kWidthToleranceMm)
                fault(p, QStringLiteral("\"%1\" is %2 mm wide in a box of %3 mm")
                             .arg(item.text)
                             .arg(width, 0, 'f', 1)
                             .arg(item.rect.width(), 0, 'f', 1));
        }
    }

    // A text that ends with "…" is printed whole after the report, in the list of cut texts.
    void checkCutTextsAreGivenWhole()
    {
        const QChar ellipsis(0x2026);
        QStringList cut;
        QStringList listed;
        for (const Page& page : m_model.pages)
            for (const PageItem& item : page.items) {
                if (item.bandKind == BandKind::List)
                    listed.append(item.text);
                else if (item.text.endsWith(ellipsis))
                    cut.append(item.text.chopped(1));
            }
        for (const QString& start : std::as_const(cut))
            if (std::none_of(listed.cbegin(), listed.cend(), [&](const QString& whole) {
                    return whole.size() > start.size() && whole.startsWith(start);
                }))
                m_faults.append(QStringLiteral("\"%1…\" is not given whole").arg(start));
    }

    // The body's bands of the page, in order: their kind and whether they are a heading (a group's,
    // or the bold first row of a list).
    void checkKeepTogether(int p)
    {
        QList<std::pair<BandKind, bool>> body;
        int band = -1;
        for (const PageItem& item : m_model.pages[p].items) {
            if (item.band == band || !isBody(item) || item.kind != PageItem::Kind::Text)
                continue;
            band = item.band;
            const bool heading = item.bandKind == BandKind::GroupHeader ||
                                 (item.bandKind == BandKind::List && item.style.bold);
            body.append({item.bandKind, heading});
        }
        if (body.isEmpty())
            return;
        if (p > 0 && body.first().first == BandKind::Summary)
            fault(p, QStringLiteral("begins with the summary alone"));
        if (p + 1 < m_model.pages.size() && body.last().second)
            fault(p, QStringLiteral("ends on a heading"));
    }

    const PageModel& m_model;
    QStringList m_faults;
    int m_figures = 0;
    int m_listFigures = 0;
};

// Checks one run; the figures must be there to be checked: the option dishes' too when printed
// apart (every layout but 01, which lists them among the day's dishes).
void verifyRun(const QSqlDatabase& db, const RunCase& run)
{
    const PageModel model = layOut(db, run);
    PageChecks checks(model);
    const QStringList faults = checks.faults(run.nutrients > 0 ? run.nutrients : catalogueSize());
    QVERIFY2(faults.isEmpty(),
             qPrintable(describe(run) + QStringLiteral(":\n") + faults.mid(0, 12).join(QLatin1Char('\n'))));
    QVERIFY2(checks.figures() > 0, qPrintable(describe(run)));
    QCOMPARE(checks.listFigures() > 0, run.options && run.layout != QLatin1String("01"));
}

QList<RunCase> monthCases()
{
    QList<RunCase> cases;
    for (const QString& layout : kLayouts)
        for (const int nutrients : kNutrientCounts)
            for (const bool options : {true, false})
                cases.append({layout, nutrients, options, false});
    return cases;
}

QString siblingUrl(const QString& url, const QString& database)
{
    const qsizetype slash = url.lastIndexOf(QLatin1Char('/'));
    const QString last = url.mid(slash + 1);
    const qsizetype dot = last.lastIndexOf(QLatin1Char('.'));
    return url.left(slash + 1) + database + (dot < 0 ? QString() : last.mid(dot));
}

// Creates this test's database on the server when it is not there yet; empty text or the fault.
QString createServerDatabase(const QString& testUrl, const QString& url)
{
    const Kav::DatabaseUrl parsed = Kav::DatabaseUrl::parse(url);
    if (parsed.engine() == Kav::DatabaseUrl::Engine::PostgreSQL) {
        const QString admin = QStringLiteral("qrblocks-admin");
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

QString fillDatabase(QSqlDatabase db, bool year)
{
    QSqlQuery query(db);
    for (const QString& table : db.tables())
        query.exec(QStringLiteral("DROP TABLE %1").arg(table));
    QString error = PreparedReportFixture::fill(db);
    if (error.isEmpty() && year)
        error = PreparedReportFixture::fillYear(db);
    return error.isEmpty() ? spreadNutrients(db) : error;
}

} // namespace

class TstQrNutrientBlocks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyChosenNutrientUnderItsOwnHeading_data();
    void everyChosenNutrientUnderItsOwnHeading();
    void monthOnEveryEngine_data();
    void monthOnEveryEngine();
    void eachBlockSaysWhichNutrientsItHolds();

private:
    QTemporaryDir m_dir;
};

void TstQrNutrientBlocks::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    db.setDatabaseName(m_dir.filePath(QStringLiteral("blocks.db")));
    QVERIFY(db.open());
    const QString error = fillDatabase(db, true);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TstQrNutrientBlocks::cleanupTestCase()
{
    QSqlDatabase::database(kConnection).close();
    QSqlDatabase::removeDatabase(kConnection);
}

void TstQrNutrientBlocks::everyChosenNutrientUnderItsOwnHeading_data()
{
    QTest::addColumn<RunCase>("run");
    for (const RunCase& run : monthCases())
        QTest::newRow(qPrintable(describe(run))) << run;
    for (const QString& layout : kLayouts)
        for (const int nutrients : kYearNutrientCounts) {
            const RunCase run{layout, nutrients, nutrients != 1, true};
            QTest::newRow(qPrintable(describe(run))) << run;
        }
}

void TstQrNutrientBlocks::everyChosenNutrientUnderItsOwnHeading()
{
    QFETCH(RunCase, run);
    verifyRun(QSqlDatabase::database(kConnection), run);
}

void TstQrNutrientBlocks::monthOnEveryEngine_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addRow("PostgreSQL") << "KAV_TEST_PG_URL";
    QTest::addRow("Firebird") << "KAV_TEST_FB_URL";
}

void TstQrNutrientBlocks::monthOnEveryEngine()
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
    const QString connection = QStringLiteral("qrblocks-") + QString::fromLatin1(QTest::currentDataTag());
    {
        QSqlDatabase db;
        try {
            db = Kav::DatabaseConnection::open(url, connection);
        } catch (const Kav::Exception& error) {
            QFAIL(qPrintable(error.message()));
        }
        const QString error = fillDatabase(db, false);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (const RunCase& run : monthCases()) {
            verifyRun(db, run);
            if (QTest::currentTestFailed())
                break;
        }
    }
    Kav::DatabaseConnection::close(connection);
}

// The first page of each block names the nutrients it holds; one block names none.
void TstQrNutrientBlocks::eachBlockSaysWhichNutrientsItHolds()
{
    const auto captions = [](const PageModel& model) {
        QStringList found;
        for (const Page& page : model.pages)
            for (const PageItem& item : page.items)
                if (item.bandKind == BandKind::ColumnHeader &&
                    item.text.startsWith(QStringLiteral("Nutrientes ")) &&
                    (found.isEmpty() || found.last() != item.text))
                    found.append(item.text);
        return found;
    };
    const QSqlDatabase db = QSqlDatabase::database(kConnection);
    QCOMPARE(captions(layOut(db, {"04", 8, true, false})), QStringList());
    QCOMPARE(captions(layOut(db, {"04", 9, true, false})),
             QStringList({"Nutrientes 1 a 8 de 9", "Nutrientes 9 de 9"}));
    QCOMPARE(captions(layOut(db, {"01", 0, false, false})),
             QStringList({"Nutrientes 1 a 8 de 26", "Nutrientes 9 a 16 de 26", "Nutrientes 17 a 24 de 26",
                          "Nutrientes 25 a 26 de 26"}));
}

QTEST_MAIN(TstQrNutrientBlocks)
#include "tst_qrnutrientblocks.moc"
