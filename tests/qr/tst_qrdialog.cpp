// The report dialog: parameters through the form's handler, the outputs and their events, the
// layout editor, page setup, new layouts and the list of a report's layouts.

#include "CallWaitPanel.h"
#include "ClassRegistry.h"
#include "Events.h"
#include "Kavenso.h"
#include "KavException.h"
#include "LayoutReader.h"
#include "PreviewWindow.h"
#include "Qrddlgs.h"
#include "QrRegistration.h"
#include "ReportCatalog.h"
#include "ReportEditorDialog.h"
#include "TestClientContext.h"
#include "TReportDesignerDialog.h"

#include <optional>
#include <QApplication>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QtTest>
#include <sqlite3.h>
#include <thread>

using namespace Qr;

namespace {

const QString kLayout = QStringLiteral(KAV_TEST_DIR "/layouts/dialog.QR2");
const QString kConnection = QStringLiteral("qrdialog");
const QString kHostile = QStringLiteral("x' OR '1'='1");

// Stands for the screen: binds the name, counts the dialog's events.
class Form : public QObject
{
    Q_OBJECT
public:
    QVariant name = QStringLiteral("*");
    QStringList
        values; // bound to P_VALOR1, 2... past the declared ones too, as the screen binds its nutrients
    bool cancel = false;
    int paramsAsked = 0;
    int printed = 0;
    int previewed = 0;
    bool previewOpenWhenPreviewed = false;

    Q_INVOKABLE void rpddPadraoBeforeGetQueryParams(TParams& Params, bool& Cancel)
    {
        ++paramsAsked;
        if (Qrddlgs::ExistParam(Params, QStringLiteral("P_NOME")))
            Params.ParamByName(QStringLiteral("P_NOME")).setValue(name);
        for (int n = 1; n <= values.size(); ++n) {
            const QString parameter = QStringLiteral("P_VALOR%1").arg(n);
            if (!Qrddlgs::ExistParam(Params, parameter))
                Params.Add(parameter, TFieldType::ftString);
            Params.ParamByName(parameter).setAsString(values[n - 1]);
        }
        Cancel = cancel;
    }
    Q_INVOKABLE void rpddPadraoQRPAfterPrint(QObject*) { ++printed; }
    Q_INVOKABLE void rpddPadraoQRPAfterPreview(QObject*)
    {
        ++previewed;
        for (QWidget* widget : QApplication::topLevelWidgets())
            previewOpenWhenPreviewed =
                previewOpenWhenPreviewed || (qobject_cast<PreviewWindow*>(widget) && widget->isVisible());
    }
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes);

// The slow reader: rows read by SLEEPMS(n), which waits n ms for each.
int g_slowReads = 0;
constexpr int kSeqRows = 15;
// The slow query reads every pair of SEQ's rows: it lasts more than a second, so the panel's
// counter must move.
constexpr int kSlowRows = kSeqRows * kSeqRows;
constexpr int kSlowRowMs = 7;

void sleepMs(sqlite3_context* context, int, sqlite3_value** argv)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(sqlite3_value_int(argv[0])));
    ++g_slowReads;
    sqlite3_result_int(context, sqlite3_value_int(argv[0]));
}

// A layout written to `path` with `columns` declared parameters P_VALOR1..; `query` reads them.
void writeLayout(const QString& path, const QString& query, int columns = 0)
{
    QString parameters;
    for (int n = 1; n <= columns; ++n)
        parameters += QStringLiteral("<parameter name=\"P_VALOR%1\" type=\"string\"/>").arg(n);
    writeBytes(path, QStringLiteral("<report version=\"1\" title=\"Valores\"><page paper=\"A4\"/>"
                                    "<parameters>%1</parameters><query><![CDATA[%2]]></query>"
                                    "<band kind=\"detail\" height=\"5\">"
                                    "<field x=\"0\" y=\"0\" width=\"100\" height=\"5\" column=\"NOME\"/>"
                                    "</band></report>")
                         .arg(parameters, query)
                         .toUtf8());
}

} // namespace

class TstQrDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void registeredForLayouts();
    void parametersReachQueryOnlyAsValues();
    void unassignedParameterIsNull();
    void handlerCancelEndsWithoutOutput();
    void printToFileAnswerFiresAfterPrint();
    void cancelledPrintFiresNothing();
    void previewClosesThenFiresAfterPreview();
    void previewPrintButtonPrints();
    void saveAsChoosesOutputByFileType_data();
    void saveAsChoosesOutputByFileType();
    void saveAsTextWritesText();
    void faultOnItsOwnIsShownInsideHandlerPassesOn();
    void cancelledProgressEndsQuietly();
    void editSavesToUserFolder();
    void editorChecksBandsBeforeSaving();
    void editorDeclaresQueryParameters();
    void editTrialPreviewKeepsDataUntilEditorCloses();
    void setupPageKeepsSetupInUserCopy();
    void setupPageRefusesPageTooSmall();
    void newReportTakesFreeCode();
    void catalogueListsLayoutsOfReport();
    void failuresAreSaidInPortuguese_data();
    void failuresAreSaidInPortuguese();
    void valuesPastTheColumnsAreToldBeforePrinting_data();
    void valuesPastTheColumnsAreToldBeforePrinting();
    void waitPanelCountsAndCancelsDuringASlowQuery_data();
    void waitPanelCountsAndCancelsDuringASlowQuery();

private:
    // Runs one failing action a user can reach and returns the message it ends with.
    QString failureOf(const QString& action);

    void bind(TReportDesignerDialog& dialog, const QString& layout = kLayout);

    // Each test's own: answers and messages, and the session's report folders.
    Kav::ScriptedDialogService& dialogs() { return m_context->dialogs(); }
    std::optional<TestClientContext> m_context;
    QTemporaryDir m_dir;
    Form m_form;
};

void TstQrDialog::initTestCase()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    db.setDatabaseName(m_dir.filePath(QStringLiteral("dialog.db")));
    QVERIFY(db.open());
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("CREATE TABLE PRATOS (NOME VARCHAR(40), KCAL DOUBLE PRECISION)")));
    for (const auto& [name, kcal] : {std::pair{QStringLiteral("Arroz"), 161.0},
                                     {QStringLiteral("Feijão"), 76.0},
                                     {kHostile, 1.0},
                                     {QStringLiteral("O'Brien"), 2.0}}) {
        QVERIFY(query.prepare(QStringLiteral("INSERT INTO PRATOS VALUES (?, ?)")));
        query.addBindValue(name);
        query.addBindValue(kcal);
        QVERIFY(query.exec());
    }
    QVERIFY(query.exec(QStringLiteral("CREATE TABLE SEQ (N INTEGER)")));
    for (int n = 1; n <= kSeqRows; ++n)
        QVERIFY(query.exec(QStringLiteral("INSERT INTO SEQ VALUES (%1)").arg(n)));
    sqlite3* handle = *static_cast<sqlite3* const*>(db.driver()->handle().data());
    QCOMPARE(sqlite3_create_function(handle, "SLEEPMS", 1, SQLITE_UTF8, nullptr, &sleepMs, nullptr, nullptr),
             SQLITE_OK);
}

void TstQrDialog::init()
{
    m_form.name = QStringLiteral("*");
    m_form.values.clear();
    g_slowReads = 0;
    m_form.cancel = false;
    m_form.paramsAsked = m_form.printed = m_form.previewed = 0;
    m_form.previewOpenWhenPreviewed = false;
    m_context.emplace();
}

void TstQrDialog::cleanup()
{
    QVERIFY2(dialogs().pendingAnswers().isEmpty(),
             qPrintable(dialogs().pendingAnswers().join(QLatin1Char(','))));
    m_context.reset();
}

void TstQrDialog::bind(TReportDesignerDialog& dialog, const QString& layout)
{
    Kav::bindEvent(&dialog, "OnBeforeGetQueryParams", &m_form, "rpddPadraoBeforeGetQueryParams");
    Kav::bindEvent(&dialog, "OnQRPAfterPrint", &m_form, "rpddPadraoQRPAfterPrint");
    Kav::bindEvent(&dialog, "OnQRPAfterPreview", &m_form, "rpddPadraoQRPAfterPreview");
    dialog.setConnectionName(kConnection);
    dialog.setUserReportsDir(m_dir.filePath(QStringLiteral("user")));
    dialog.LoadFromFile(layout);
}

void TstQrDialog::registeredForLayouts()
{
    Qr::registerReportClasses();
    QObject parent;
    QObject* created = Kav::ClassRegistry::instance().create(QStringLiteral("TReportDesignerDialog"), &parent,
                                                             m_context->context());
    QVERIFY(qobject_cast<TReportDesignerDialog*>(created));
    QCOMPARE(created->parent(), &parent);
    QVERIFY(
        QByteArray(
            created->metaObject()->classInfo(created->metaObject()->indexOfClassInfo("KavEvents")).value())
            .contains("OnBeforeGetQueryParams"));
}

void TstQrDialog::parametersReachQueryOnlyAsValues()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    m_form.name = kHostile;
    const QString out = m_dir.filePath(QStringLiteral("hostile.txt"));
    QVERIFY(dialog.SaveToFile(out));
    const QString text = QString::fromUtf8(readAll(out));
    // Only the row whose name is that very text; pasted into the SQL it would match every row.
    QVERIFY2(text.contains(kHostile), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Arroz")));
    QVERIFY(text.contains(QStringLiteral("Total: 1,0")));
    QCOMPARE(m_form.paramsAsked, 1);
    QCOMPARE(dialog.Params().ParamByName(QStringLiteral("P_NOME")).AsString(), kHostile);
}

void TstQrDialog::unassignedParameterIsNull()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    m_form.name = QString(); // empty text: NULL, which matches no name
    const QString out = m_dir.filePath(QStringLiteral("null.txt"));
    QVERIFY(dialog.SaveToFile(out));
    const QString text = QString::fromUtf8(readAll(out));
    QVERIFY2(text.startsWith(QStringLiteral("sem título\n")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Arroz")));
}

void TstQrDialog::handlerCancelEndsWithoutOutput()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    m_form.cancel = true;
    const QString out = m_dir.filePath(QStringLiteral("cancel.pdf"));
    QVERIFY(!dialog.SaveToFile(out));
    QVERIFY(!QFile::exists(out));
    dialogs().queueAnswer(Kav::DialogKind::File, out);
    QVERIFY(!dialog.Print());
    dialogs().clearAnswers();
    QCOMPARE(m_form.printed, 0);
    QVERIFY(dialogs().shownMessages().isEmpty());
}

void TstQrDialog::printToFileAnswerFiresAfterPrint()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    const QString out = m_dir.filePath(QStringLiteral("printed.pdf"));
    dialogs().queueAnswer(Kav::DialogKind::File, out);
    QVERIFY(dialog.Print());
    QVERIFY(readAll(out).startsWith("%PDF"));
    QCOMPARE(m_form.printed, 1);
    QCOMPARE(m_form.previewed, 0);
}

void TstQrDialog::cancelledPrintFiresNothing()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    dialogs().queueAnswer(Kav::DialogKind::File, QStringLiteral("cancel"));
    QVERIFY(!dialog.Print());
    QCOMPARE(m_form.printed, 0);
}

void TstQrDialog::previewClosesThenFiresAfterPreview()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    dialogs().queueAnswer(Kav::DialogKind::Preview, QStringLiteral("close"));
    QVERIFY(dialog.Preview());
    QCOMPARE(m_form.previewed, 1);
    QVERIFY2(!m_form.previewOpenWhenPreviewed, "the event came while the preview was still open");
    QCOMPARE(m_form.printed, 0);
}

void TstQrDialog::previewPrintButtonPrints()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    const QString out = m_dir.filePath(QStringLiteral("from-preview.pdf"));
    dialogs().queueAnswer(Kav::DialogKind::Preview, QStringLiteral("print"));
    dialogs().queueAnswer(Kav::DialogKind::File, out);
    QVERIFY(dialog.Preview());
    QVERIFY(QFile::exists(out));
    QCOMPARE(m_form.printed, 1);
    QCOMPARE(m_form.previewed, 1);
    QCOMPARE(m_form.paramsAsked, 1); // laid out once for both
}

void TstQrDialog::saveAsChoosesOutputByFileType_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("start");
    QTest::addRow("csv") << "r.csv"
                         << "r.csv"
                         << QByteArray("\xEF\xBB\xBF"
                                       "sem título");
    QTest::addRow("html") << "r.html"
                          << "r.html" << QByteArray("<!DOCTYPE html>");
    QTest::addRow("text") << "r.txt"
                          << "r.txt" << QByteArray("sem título\nArroz");
    QTest::addRow("no ending is PDF") << "r"
                                      << "r.pdf" << QByteArray("%PDF");
    // The dialog settles the ending: one no type offers gets the chosen (first) type's.
    QTest::addRow("unknown ending") << "r.docx"
                                    << "r.docx.pdf" << QByteArray("%PDF");
    QTest::addRow("wildcard refused") << "r*.pdf"
                                      << "" << QByteArray();
    QTest::addRow("spreadsheet") << "r.xlsx"
                                 << "r.xlsx" << QByteArray("PK");
}

void TstQrDialog::saveAsChoosesOutputByFileType()
{
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(QByteArray, start);
    QTemporaryDir dir;
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    dialogs().queueAnswer(Kav::DialogKind::File, dir.filePath(answer));
    QCOMPARE(dialog.SaveAs(), !written.isEmpty());
    if (written.isEmpty()) {
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        QVERIFY(dialogs().shownMessages().value(0).contains(answer));
        return;
    }
    QVERIFY2(readAll(dir.filePath(written)).startsWith(start),
             qPrintable(readAll(dir.filePath(written)).left(40)));
    QCOMPARE(m_form.printed + m_form.previewed, 0);
}

void TstQrDialog::saveAsTextWritesText()
{
    QTemporaryDir dir;
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    // Only text is offered: another ending is part of the name.
    dialogs().queueAnswer(Kav::DialogKind::File, dir.filePath(QStringLiteral("r.csv")));
    QVERIFY(dialog.SaveAsText());
    QVERIFY(readAll(dir.filePath(QStringLiteral("r.csv.txt"))).startsWith("sem título\nArroz"));
    QCOMPARE(dialog.SavedFileName(), dir.filePath(QStringLiteral("r.csv.txt")));
    dialogs().queueAnswer(Kav::DialogKind::File, dir.filePath(QStringLiteral("plain")));
    QVERIFY(dialog.SaveAsText());
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("plain.txt"))));
    dialogs().queueAnswer(Kav::DialogKind::File, QStringLiteral("cancel"));
    QVERIFY(!dialog.SaveAsText());
}

void TstQrDialog::faultOnItsOwnIsShownInsideHandlerPassesOn()
{
    TReportDesignerDialog empty(m_context->context());
    QVERIFY(!empty.Print());
    QCOMPARE(dialogs().shownMessages(), QStringList(QStringLiteral("Nenhum relatório foi carregado.")));

    bool passedOn = false;
    Kav::runHandler([&] {
        try {
            empty.Preview();
        } catch (const Kav::Exception&) {
            passedOn = true;
        }
    });
    QVERIFY(passedOn);
    QCOMPARE(dialogs().shownMessages().size(), 1);
}

void TstQrDialog::cancelledProgressEndsQuietly()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    int steps = 0;
    dialog.setProgressHandler([&](const QString&, int, int) { return ++steps < 2; });
    const QString out = m_dir.filePath(QStringLiteral("cancelled.pdf"));
    QVERIFY(!dialog.SaveToFile(out));
    QVERIFY(!QFile::exists(out));
    QVERIFY(dialogs().shownMessages().isEmpty());
}

void TstQrDialog::editSavesToUserFolder()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("save"));
    QVERIFY(dialog.Edit());
    const QString saved = m_dir.filePath(QStringLiteral("user/dialog.QR2"));
    QCOMPARE(dialog.FileName(), saved);
    QCOMPARE(LayoutReader::readFile(saved).title, QStringLiteral("Pratos por nome"));
    dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("cancel"));
    QVERIFY(!dialog.Edit());
}

void TstQrDialog::editorChecksBandsBeforeSaving()
{
    const ReportLayout layout = LayoutReader::readFile(kLayout);
    ReportEditorDialog editor(m_context->context(), layout, kLayout);
    editor.setBandsText(QStringLiteral("<band kind=\"detail\" height=\"5\">\n"
                                       "  <text x=\"0\" y=\"3\" width=\"10\" height=\"5\">x</text>\n"
                                       "</band>"));
    try {
        editor.editedLayout();
        QFAIL("a text outside its band was accepted");
    } catch (const Kav::Exception& error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("Faixas, linha 2: <text> sai da faixa")),
                 qPrintable(error.message()));
    }
    editor.save();
    QCOMPARE(editor.result(), int(QDialog::Rejected));
    QCOMPARE(dialogs().shownMessages().size(), 1);

    editor.setBandsText(
        QStringLiteral("<band kind=\"detail\" height=\"5\"><field x=\"0\" y=\"0\" width=\"40\" "
                       "height=\"5\" column=\"NOME\"/></band>"));
    editor.setTitleText(QStringLiteral("Só os nomes"));
    const ReportLayout edited = editor.editedLayout();
    QCOMPARE(edited.title, QStringLiteral("Só os nomes"));
    QCOMPARE(edited.detail->elements.size(), 1);
    QVERIFY(!edited.summary);
    QCOMPARE(edited.query, layout.query);
}

void TstQrDialog::editorDeclaresQueryParameters()
{
    ReportEditorDialog editor(m_context->context(), LayoutReader::readFile(kLayout), kLayout);
    editor.setQueryText(
        QStringLiteral("SELECT NOME, KCAL FROM PRATOS WHERE NOME = :P_NOME AND KCAL > :P_MINIMO"));
    try {
        editor.editedLayout();
        QFAIL("an undeclared parameter was accepted");
    } catch (const Kav::Exception& error) {
        QVERIFY2(error.message().contains(QLatin1String(":P_MINIMO")), qPrintable(error.message()));
    }
    QCOMPARE(editor.declareQueryParameters(), 1);
    QCOMPARE(editor.declareQueryParameters(), 0);
    const ReportLayout edited = editor.editedLayout();
    QCOMPARE(edited.parameters.last().name, QStringLiteral("P_MINIMO"));
}

void TstQrDialog::editTrialPreviewKeepsDataUntilEditorCloses()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("preview"));
    dialogs().queueAnswer(Kav::DialogKind::Preview, QStringLiteral("close"));
    QVERIFY(!dialog.Edit());
    QCOMPARE(m_form.paramsAsked, 1);
    QCOMPARE(m_form.previewed, 1);
}

void TstQrDialog::setupPageKeepsSetupInUserCopy()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    ReportLayout small = dialog.Layout();
    small.summary->height = 5;
    dialog.setLayout(small, kLayout);
    dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("A4 landscape 5 8 5 8"));
    QVERIFY(dialog.SetupPage());
    QCOMPARE(dialog.Layout().page.orientation, QPageLayout::Landscape);
    const ReportLayout saved = LayoutReader::readFile(m_dir.filePath(QStringLiteral("user/dialog.QR2")));
    QCOMPARE(saved.page.orientation, QPageLayout::Landscape);
    QCOMPARE(saved.page.margins, QMarginsF(5, 8, 5, 8));
    QVERIFY(QFile::remove(m_dir.filePath(QStringLiteral("user/dialog.QR2"))));
}

void TstQrDialog::setupPageRefusesPageTooSmall()
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    // The 200 mm summary fits a portrait A4 page, not a landscape one.
    dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("A4 landscape 10 10 10 10"));
    QVERIFY(!dialog.SetupPage());
    QVERIFY2(dialogs().shownMessages().value(0).contains(QStringLiteral("não cabe")),
             qPrintable(dialogs().shownMessages().join(QLatin1Char('\n'))));
    // Said in words: the orientation and what to do, never the layout file and its line.
    QVERIFY(dialogs().shownMessages().value(0).contains(QStringLiteral("em paisagem")));
    QVERIFY(!dialogs().shownMessages().value(0).contains(QStringLiteral(".QR2")));
    QCOMPARE(dialog.Layout().page.orientation, QPageLayout::Portrait);
    dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("A4 sideways 1 1 1 1"));
    QVERIFY(!dialog.SetupPage());
    QVERIFY(dialogs().shownMessages().value(1).contains(QLatin1String("A4 sideways")));
}

void TstQrDialog::newReportTakesFreeCode()
{
    QTemporaryDir shared;
    QVERIFY(QFile::copy(kLayout, shared.filePath(QStringLiteral("Zve41301.QR2"))));
    Kavenso::Session session = Kavenso::CurrentSession();
    session.reportsDir = shared.path();
    Kavenso::SetSession(session);

    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("Cardápio especial"));
    dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("save"));
    QVERIFY(dialog.NewReport(QStringLiteral("Zve413"), QStringLiteral("Título do relatório"),
                             QStringLiteral("Informe o título do relatório:")));
    const QString created = m_dir.filePath(QStringLiteral("user/Zve41302.QR2"));
    QCOMPARE(dialog.FileName(), created);
    QCOMPARE(LayoutReader::readFile(created).title, QStringLiteral("Cardápio especial"));

    dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("cancel"));
    QVERIFY(!dialog.NewReport(QStringLiteral("Zve413"), QStringLiteral("Título do relatório"), QString()));
    QCOMPARE(dialog.FileName(), created);
}

void TstQrDialog::catalogueListsLayoutsOfReport()
{
    QTemporaryDir user;
    QTemporaryDir shared;
    const auto write = [](const QString& path, const QByteArray& content) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write(shared.filePath(QStringLiteral("Zve41301.QR2")), "<report title=\"Por prato\"/>");
    write(shared.filePath(QStringLiteral("Zve41307.QR2")), "<report title=\"Por dia\"/>");
    write(shared.filePath(QStringLiteral("Zve41309.QR2")), "<form/>");
    write(shared.filePath(QStringLiteral("zve41305.QR2")), "<report title=\"minúsculas\"/>");
    write(shared.filePath(QStringLiteral("Zve413.QR2")), "<report title=\"sem código\"/>");
    write(shared.filePath(QStringLiteral("Zve41401.QR2")), "<report title=\"outro relatório\"/>");
    write(user.filePath(QStringLiteral("Zve41307.QR2")), "<report title=\"Por dia (meu)\"/>");

    const QList<ReportEntry> entries =
        ReportCatalog::list({user.path(), shared.path()}, QStringLiteral("Zve413"));
    QStringList listed;
    for (const ReportEntry& entry : entries)
        listed.append(entry.layoutCode + QLatin1Char('=') + entry.title);
    QCOMPARE(listed, QStringList({QStringLiteral("01=Por prato"), QStringLiteral("07=Por dia (meu)")}));
    QCOMPARE(entries[1].path, user.filePath(QStringLiteral("Zve41307.QR2")));
    QCOMPARE(
        ReportCatalog::find({user.path(), shared.path()}, QStringLiteral("Zve413"), QStringLiteral("01")),
        shared.filePath(QStringLiteral("Zve41301.QR2")));
    QVERIFY(ReportCatalog::find({user.path(), shared.path()}, QStringLiteral("Zve413"), QStringLiteral("1"))
                .isEmpty());
    QCOMPARE(ReportCatalog::freeLayoutCode({user.path(), shared.path()}, QStringLiteral("Zve413")),
             QStringLiteral("02"));
}

namespace {

// A layout over the test table whose detail band prints `column`, from `query`.
QByteArray layoutPrinting(const QString& column,
                          const QString& query = QStringLiteral("SELECT NOME FROM PRATOS"))
{
    return QStringLiteral("<report title=\"t\"><query>%1</query>"
                          "<band kind=\"detail\" height=\"5\">"
                          "<field x=\"0\" y=\"0\" width=\"50\" height=\"5\" column=\"%2\"/></band></report>")
        .arg(query, column)
        .toUtf8();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

QString TstQrDialog::failureOf(const QString& action)
{
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog);
    const QString layouts = m_dir.filePath(QStringLiteral("falhas"));
    QDir().mkpath(layouts);
    try {
        if (action == QLatin1String("pdf-missing-folder"))
            dialog.SaveToFile(m_dir.filePath(QStringLiteral("sem-pasta/r.pdf")));
        else if (action == QLatin1String("pdf-system-folder"))
            dialog.SaveToFile(QStringLiteral("/proc/r.pdf"));
        else if (action == QLatin1String("text-missing-folder"))
            dialog.SaveToFile(m_dir.filePath(QStringLiteral("sem-pasta/r.txt")));
        else if (action == QLatin1String("html-onto-folder") || action == QLatin1String("csv-onto-folder")) {
            const QString folder =
                m_dir.filePath(action.startsWith(QLatin1String("html")) ? "pasta.html" : "pasta.csv");
            QDir().mkpath(folder);
            dialog.SaveToFile(folder);
        } else if (action == QLatin1String("missing-layout")) {
            dialog.LoadFromFile(m_dir.filePath(QStringLiteral("Zve41399.QR2")));
        } else if (action == QLatin1String("malformed-layout")) {
            writeBytes(layouts + QStringLiteral("/Zve41398.QR2"),
                       "<report title=\"t\"><query>SELECT 1</query");
            dialog.LoadFromFile(layouts + QStringLiteral("/Zve41398.QR2"));
        } else if (action == QLatin1String("layout-fault-in-users-copy")) {
            const QString copy = m_dir.filePath(QStringLiteral("user/Zve41397.QR2"));
            QDir().mkpath(m_dir.filePath(QStringLiteral("user")));
            writeBytes(
                copy,
                layoutPrinting(QStringLiteral("NOME")).replace("height=\"5\" column", "height=\"9\" column"));
            dialog.LoadFromFile(copy);
        } else if (action == QLatin1String("unknown-column")) {
            writeBytes(layouts + QStringLiteral("/Zve41396.QR2"), layoutPrinting(QStringLiteral("NMPRATO")));
            dialog.LoadFromFile(layouts + QStringLiteral("/Zve41396.QR2"));
            dialog.SaveToFile(m_dir.filePath(QStringLiteral("coluna.pdf")));
        } else if (action == QLatin1String("query-refused")) {
            writeBytes(
                layouts + QStringLiteral("/Zve41395.QR2"),
                layoutPrinting(QStringLiteral("NOME"), QStringLiteral("SELECT NOME FROM PRATOS_ANTIGOS")));
            dialog.LoadFromFile(layouts + QStringLiteral("/Zve41395.QR2"));
            dialog.SaveToFile(m_dir.filePath(QStringLiteral("consulta.pdf")));
        }
    } catch (const Kav::Exception& error) {
        return error.message();
    }
    return dialogs().shownMessages().value(0);
}

void TstQrDialog::failuresAreSaidInPortuguese_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("said"); // fragments of the message
    const QString missingFolder = QStringLiteral("a pasta %1 não existe").arg(m_dir.filePath("sem-pasta"));
    QTest::addRow("PDF into a folder that does not exist")
        << "pdf-missing-folder" << QStringList{"Não foi possível gravar", "sem-pasta/r.pdf", missingFolder};
    QTest::addRow("PDF into a folder of the system")
        << "pdf-system-folder" << QStringList{"/proc/r.pdf", "não permite criar o arquivo nessa pasta"};
    QTest::addRow("text into a folder that does not exist")
        << "text-missing-folder" << QStringList{"sem-pasta/r.txt", missingFolder};
    QTest::addRow("HTML onto a folder")
        << "html-onto-folder" << QStringList{"pasta.html", "o caminho é uma pasta"};
    QTest::addRow("CSV onto a folder")
        << "csv-onto-folder" << QStringList{"pasta.csv", "o caminho é uma pasta"};
    QTest::addRow("layout file missing")
        << "missing-layout"
        << QStringList{"Não foi possível abrir o relatório", "Zve41399.QR2", "o arquivo não existe"};
    QTest::addRow("layout file cut short")
        << "malformed-layout"
        << QStringList{"O relatório Zve41398.QR2 tem um erro", "não é XML válido", "Avise o suporte"};
    QTest::addRow("user's copy with a field outside its band")
        << "layout-fault-in-users-copy"
        << QStringList{"sai da faixa 'detail'", "Apague a cópia", "user/Zve41397.QR2 para voltar"};
    QTest::addRow("field the query does not give")
        << "unknown-column" << QStringList{"A consulta do relatório não tem a coluna NMPRATO."};
    QTest::addRow("query the database refuses")
        << "query-refused" << QStringList{"Não foi possível ler os dados do relatório no banco de dados."};
}

// What the system says in English (errno texts, the XML parser, the database) goes to the log, and
// the user reads neither it nor the place of a fault inside an internal file.
void TstQrDialog::failuresAreSaidInPortuguese()
{
    QFETCH(QString, action);
    QFETCH(QStringList, said);
    const QString message = failureOf(action);
    for (const QString& fragment : std::as_const(said))
        QVERIFY2(message.contains(fragment), qPrintable(message));
    static const QRegularExpression english(QStringLiteral(
        "No such|directory|Permission|denied|Premature|tag mismatch|no such table|syntax error|"
        "Unable to|QR2:\\d"));
    QVERIFY2(!english.match(message).hasMatch(), qPrintable(message));
}

void TstQrDialog::valuesPastTheColumnsAreToldBeforePrinting_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QString>("answer"); // empty: nothing asked
    QTest::addRow("8 columns, 8 chosen") << 8 << 8 << QString();
    QTest::addRow("8 columns, 10 chosen, declined") << 8 << 10 << "no";
    QTest::addRow("8 columns, 10 chosen, accepted") << 8 << 10 << "yes";
    QTest::addRow("8 columns, 9 chosen, declined") << 8 << 9 << "no";
}

// A stored layout made when the screen bound only P_VALOR1..8 keeps printing its columns; the
// values it has no column for are told before anything is read, and the user decides.
void TstQrDialog::valuesPastTheColumnsAreToldBeforePrinting()
{
    QFETCH(int, columns);
    QFETCH(int, chosen);
    QFETCH(QString, answer);
    QStringList selected;
    for (int n = 1; n <= columns; ++n)
        selected.append(QStringLiteral(":P_VALOR%1 AS V%1").arg(n));
    const QString layout = m_dir.filePath(QStringLiteral("Zve41380.QR2"));
    writeLayout(layout,
                QStringLiteral("SELECT SLEEPMS(0) AS NOME, %1").arg(selected.join(QStringLiteral(", "))),
                columns);
    for (int n = 1; n <= chosen; ++n)
        m_form.values.append(QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')));
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog, layout);
    if (!answer.isEmpty())
        dialogs().queueAnswer(Kav::DialogKind::Question, answer);
    const QString out = m_dir.filePath(QStringLiteral("%1.pdf").arg(QTest::currentDataTag()));
    const bool printed = answer != QLatin1String("no");
    QCOMPARE(dialog.SaveToFile(out), printed);
    QCOMPARE(QFile::exists(out), printed);
    QCOMPARE(g_slowReads, printed ? 1 : 0); // declined: nothing was read
    const QStringList said = dialogs().shownMessages();
    if (answer.isEmpty()) {
        QVERIFY2(said.isEmpty(), qPrintable(said.join('\n')));
        return;
    }
    QCOMPARE(said.size(), 1);
    for (const QString& fragment : {QStringLiteral("\"Valores\" tem colunas para %1 nutrientes").arg(columns),
                                    QStringLiteral("foram escolhidos %1").arg(chosen),
                                    QStringLiteral("os %1 últimos não serão impressos").arg(chosen - columns),
                                    QStringLiteral("Imprimir assim mesmo?")})
        QVERIFY2(said.front().contains(fragment), qPrintable(said.front()));
}

void TstQrDialog::waitPanelCountsAndCancelsDuringASlowQuery_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addRow("counts until the rows are read") << false;
    QTest::addRow("Cancelar heard inside the query") << true;
}

// The panel of the server's call stays while its answer is read: its counter goes on and its
// "Cancelar" is heard inside one long query, not only after it.
void TstQrDialog::waitPanelCountsAndCancelsDuringASlowQuery()
{
    QFETCH(bool, cancel);
    const QString layout = m_dir.filePath(QStringLiteral("Zve41381.QR2"));
    writeLayout(
        layout,
        QStringLiteral("SELECT 'Total' AS NOME, SUM(SLEEPMS(%1)) AS KCAL FROM SEQ A, SEQ B").arg(kSlowRowMs));
    TReportDesignerDialog dialog(m_context->context());
    bind(dialog, layout);
    Kav::CallAnswerHandling handling;
    auto panel = std::make_unique<Kav::CallWaitPanel>(nullptr, QStringLiteral("Preparando o relatório"),
                                                      [&handling] { handling.cancel(); });
    const QPointer<Kav::CallWaitPanel> shown = panel.get();
    handling.keep(std::move(panel));
    QStringList counted; // the panel's text each time the reading step is told
    dialog.setProgressHandler([&](const QString& step, int, int) {
        if (step == ReportRun::ReadingStep && shown) {
            counted.append(shown->text());
            // The user's click, delivered by the event loop as a real one would be.
            if (cancel && counted.size() == 2)
                QMetaObject::invokeMethod(shown.data(), "reject", Qt::QueuedConnection);
        }
        return handling.keepResponding();
    });
    const QString out = m_dir.filePath(QStringLiteral("slow-%1.pdf").arg(cancel));
    QCOMPARE(dialog.SaveToFile(out), !cancel);
    QCOMPARE(QFile::exists(out), !cancel);
    QVERIFY(dialogs().shownMessages().isEmpty());
    if (cancel) {
        QVERIFY(handling.cancelled());
        QVERIFY(!shown);
        QVERIFY2(g_slowReads < kSlowRows, qPrintable(QString::number(g_slowReads)));
        return;
    }
    QCOMPARE(g_slowReads, kSlowRows);
    QVERIFY2(counted.size() > 2, qPrintable(counted.join('|')));
    QVERIFY2(counted.front().endsWith(QLatin1String("(0 s)")), qPrintable(counted.front()));
    QVERIFY2(!counted.back().endsWith(QLatin1String("(0 s)")), qPrintable(counted.join('|')));
}

QTEST_MAIN(TstQrDialog)
#include "tst_qrdialog.moc"
