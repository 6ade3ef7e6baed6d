// Every window and dialog of the client opens wide enough for its whole title as the window
// manager shows it: the title in the title bar's bold font, a dash and the application's name,
// beside the window's icon and three buttons.
#include "CallWaitPanel.h"
#include "GuiDialogService.h"
#include "PageModel.h"
#include "PageSetupDialog.h"
#include "PreviewWindow.h"
#include "ProgressWindow.h"
#include "ReportEditorDialog.h"
#include "TestClientContext.h"

#include <QPrinter>
#include <QProgressDialog>
#include <QtTest>

using namespace Qr;

namespace {

const QString kApplication = QStringLiteral("Kav Alimentação Escolar");
// The window's icon and its minimise, maximise and close buttons.
constexpr int kTitleBarButtons = 4 * 24;

struct Shown
{
    QString title;
    int width = 0;
    int needed = 0;
};

Shown measure(const QWidget& window)
{
    QFont bold = window.font();
    bold.setBold(true);
    const QString title = window.windowTitle();
    const QString shown = title.endsWith(kApplication) ? title : title + QStringLiteral(" — ") + kApplication;
    return {shown, window.width(), QFontMetrics(bold).horizontalAdvance(shown) + kTitleBarButtons};
}

// The modal dialog `run` opens, measured as it opens and then closed.
Shown measureModal(const std::function<void()>& run)
{
    Shown shown;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        shown = measure(*dialog);
        dialog->close();
    });
    run();
    return shown;
}

Shown measureShown(QWidget& window)
{
    window.show();
    QCoreApplication::processEvents();
    return measure(window);
}

Kav::ListRows threeRows()
{
    Kav::ListRows rows;
    rows.columns = {{"CODIGO", "Código", 4}, {"NOME", "Nome", 10}};
    rows.cells = {{"001", "Desjejum"}, {"002", "Almoço"}, {"003", "Lanche"}};
    rows.recNos = {1, 2, 3};
    rows.keys = {"001", "002", "003"};
    return rows;
}

PageModel onePage()
{
    PageModel model;
    model.title = QStringLiteral("Nutrientes por dia, serviço e prato");
    model.pages.append(Page());
    return model;
}

using Opener = std::function<Shown(Kav::DialogService& gui)>;

const QList<QPair<const char*, Opener>>& windows()
{
    static const QList<QPair<const char*, Opener>> all = {
        {"page setup",
         [](Kav::DialogService& gui) {
             return measureModal([&] { PageSetupDialog::ask(gui, PageSetup(), nullptr); });
         }},
        {"lookup list",
         [](Kav::DialogService& gui) {
             return measureModal([&] { gui.chooseRow({nullptr, "Tipo de Cardápio", threeRows(), {}}); });
         }},
        {"multi-selection list",
         [](Kav::DialogService& gui) {
             return measureModal([&] { gui.chooseKeys({nullptr, "Tipo de Prato", threeRows(), {}, {}}); });
         }},
        {"new report title",
         [](Kav::DialogService& gui) {
             return measureModal(
                 [&] { gui.askText(nullptr, "Título do relatório", "Título do novo relatório:"); });
         }},
        {"print",
         [](Kav::DialogService& gui) {
             return measureModal([&] {
                 QPrinter printer;
                 gui.choosePrinter(printer, nullptr, "Imprimir");
             });
         }},
        {"lookup list with a long title",
         [](Kav::DialogService& gui) {
             return measureModal([&] {
                 gui.chooseRow(
                     {nullptr, "Cardápios da filial com nutrientes de referência", threeRows(), {}});
             });
         }},
        {"save file",
         [](Kav::DialogService& gui) {
             return measureModal([&] { gui.saveFileName(nullptr, "Salvar relatório", "", "PDF (*.pdf)"); });
         }},
        {"message",
         [](Kav::DialogService& gui) { return measureModal([&] { gui.showInformation("Salvo."); }); }},
        {"confirmation",
         [](Kav::DialogService& gui) { return measureModal([&] { gui.askQuestion("Apagar?"); }); }},
        {"wait for the server",
         [](Kav::DialogService&) {
             Kav::CallWaitPanel panel(nullptr, "Preparando o relatório", [] {});
             return measureShown(panel);
         }},
        {"progress",
         [](Kav::DialogService&) {
             QWidget parent;
             parent.show();
             Kav::ProgressWindow progress(&parent, "Nutrientes por dia, serviço e prato");
             progress.show("Montando as páginas...", 1, 10);
             return measure(*parent.findChild<QProgressDialog*>());
         }},
        {"report editor",
         [](Kav::DialogService&) {
             TestClientContext context;
             ReportEditorDialog editor(context.context(), ReportLayout(), "Zve41300_01.QR2");
             return measureShown(editor);
         }},
        {"preview",
         [](Kav::DialogService&) {
             PreviewWindow preview(onePage(), {});
             return measureShown(preview);
         }},
    };
    return all;
}

} // namespace

class TstWindowTitles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationDisplayName(kApplication); }

    void titleFitsTheWindow_data()
    {
        QTest::addColumn<int>("window");
        for (int i = 0; i < windows().size(); ++i)
            QTest::addRow("%s", windows().at(i).first) << i;
    }
    void titleFitsTheWindow()
    {
        QFETCH(int, window);
        Kav::GuiDialogService gui;
        const Shown shown = windows().at(window).second(gui);
        QVERIFY2(!shown.title.isEmpty(), "the window did not open");
        QVERIFY2(shown.width >= shown.needed,
                 qPrintable(QStringLiteral("\"%1\" needs %2 px, the window is %3")
                                .arg(shown.title)
                                .arg(shown.needed)
                                .arg(shown.width)));
    }
};

QTEST_MAIN(TstWindowTitles)
#include "tst_windowtitles.moc"
