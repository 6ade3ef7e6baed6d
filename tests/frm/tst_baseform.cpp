// The base report form: its stored layout, creation and closing, key preview, leave events,
// how a nested handler's error reaches its caller, the layout list and MDI placement.
#include "Events.h"
#include "FormFactory.h"
#include "GeneratedLayoutRows.h"
#include "HostWindow.h"
#include "Kavenso.h"
#include "KavException.h"
#include "ReportCatalog.h"
#include "TComboBox.h"
#include "TEdit.h"
#include "TestClientContext.h"
#include "TfrmDadosGerRel.h"
#include "TMenuItem.h"
#include "TMessages.h"
#include "TPanel.h"
#include "TReportDesignerDialog.h"
#include "TSpeedButton.h"

#include <optional>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QtTest>

class TstReportForm : public TfrmDadosGerRel
{
    Q_OBJECT
public:
    using TfrmDadosGerRel::TfrmDadosGerRel;
    static inline bool failCreate = false;
    QStringList calls;
    TCloseAction closeAction = caFree;
    bool failClose = false;
    bool keepFocusOnA = false;
    bool writeByClearing = false;

    template <class T = TEdit> T* part(const char* name) const { return findChild<T*>(QLatin1String(name)); }

    Q_INVOKABLE void FormCreate(QObject* Sender)
    {
        if (failCreate)
            throw Kav::Exception("Sem conexão com o banco.");
        TfrmDadosGerRel::FormCreate(Sender);
        calls << "create";
    }
    Q_INVOKABLE void FormActivate(QObject* Sender)
    {
        TfrmDadosGerRel::FormActivate(Sender);
        calls << "activate";
    }
    Q_INVOKABLE void FormClose(QObject* Sender, TCloseAction& Action)
    {
        if (failClose)
            throw Kav::Exception("Não pode fechar agora.");
        TfrmDadosGerRel::FormClose(Sender, Action);
        Action = closeAction;
    }
    Q_INVOKABLE void FormKeyDown(QObject* Sender, quint16& Key, Qt::KeyboardModifiers Shift)
    {
        calls << QStringLiteral("form key %1").arg(Key);
        TfrmDadosGerRel::FormKeyDown(Sender, Key, Shift);
    }
    Q_INVOKABLE void edtAKeyDown(QObject*, quint16& Key, Qt::KeyboardModifiers)
    {
        calls << QStringLiteral("edtA key %1").arg(Key);
    }
    Q_INVOKABLE void edtAExit(QObject*)
    {
        calls << "exit edtA";
        if (keepFocusOnA)
            part("edtA")->setFocus();
    }
    Q_INVOKABLE void edtBExit(QObject*) { calls << "exit edtB"; }
    Q_INVOKABLE void edtCExit(QObject*) { calls << "exit edtC"; }
    Q_INVOKABLE void edtDExit(QObject*) { calls << "exit edtD"; }
    Q_INVOKABLE void grbGroupExit(QObject*) { calls << "exit grbGroup"; }
    Q_INVOKABLE void edtEChange(QObject*) { throw Kav::Exception("Código inválido."); }
    // Writes a text back, as a check does; the change handler's error reaches it.
    Q_INVOKABLE void writeBack(QObject*)
    {
        try {
            if (writeByClearing)
                part("edtE")->clear();
            else
                part("edtE")->setText("x");
            calls << "went on after writing";
        } catch (const Kav::Exception& error) {
            calls << "caught " + error.message();
            throw;
        }
    }

protected:
    QStringList layoutFiles() const override
    {
        return TfrmDadosGerRel::layoutFiles() << QStringLiteral(KAV_TEST_DIR "/layouts/TstReportForm.kfm");
    }
};

class TstBaseForm : public QObject
{
    Q_OBJECT

    TstReportForm* form = nullptr;
    QTemporaryDir reports;
    // Each test's own, made before its form and ended after it.
    std::optional<TestClientContext> context;

    void focusAndSettle(QWidget* w)
    {
        w->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), w);
    }

private slots:
    void initTestCase() { QVERIFY(reports.isValid()); }

    void init()
    {
        Kavenso::Session session;
        session.reportsDir = reports.path();
        context.emplace(session);
        TstReportForm::failCreate = false;
        Frm::createForm(form, context->context());
        QVERIFY(QTest::qWaitForWindowActive(form));
    }

    void cleanup()
    {
        if (form) {
            QPointer<TstReportForm> closing = form;
            form->closeAction = caFree;
            form->failClose = false;
            form->Close();
            QTRY_VERIFY(!closing);
        }
        form = nullptr;
        context.reset();
    }

    void baseLayoutBuildsTheCommandPanel()
    {
        const QStringList captions = {"Imprimir",         "Visualizar",        "Salvar como",
                                      "Editar relatório", "Configurar página", "Sair"};
        const QList<TSpeedButton*> buttons = {form->sbtPrint,      form->sbtPreview,   form->sbtSalvarComo,
                                              form->sbtReportEdit, form->sbtPageSetup, form->sbtSair};
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons.at(i)->text(), captions.at(i));
            QCOMPARE(buttons.at(i)->parentWidget(), form->panMenu);
        }
        QCOMPARE(form->reportCode(), QString("Tst001"));
        QCOMPARE(form->msgPadrao->messages().size(), 3);
        QCOMPARE(form->msgPadrao->Msg("NovoPrompt"), QString("Informe o título do relatório:"));
        QVERIFY(form->property("KeyPreview").toBool());
        QCOMPARE(form->mnuSalvarTexto->text(), QString("Salvar como texto"));
        // Bound by the base layout, answered by the derived form's handler of the same name.
        QCOMPARE(Kav::boundHandler(form, "OnCreate"), QByteArray("FormCreate"));
        QCOMPARE(form->calls, QStringList({"create", "activate"}));
    }

    // Every component of the base layout, as the table generated with the form's bindings
    // declares it.
    void componentsStandWhereTheLayoutPutsThem_data()
    {
        GeneratedLayoutRows::addRows(KavLayout::TfrmDadosGerRelComponents::layout);
    }
    void componentsStandWhereTheLayoutPutsThem() { GeneratedLayoutRows::checkRow(form); }

    void leaveFiresOnlyWhenTheFocusStaysInTheForm()
    {
        focusAndSettle(form->part("edtA"));
        form->calls.clear();
        focusAndSettle(form->part("edtB"));
        QCOMPARE(form->calls, QStringList({"exit edtA"}));

        // Another window takes the focus and gives it back: nothing was left.
        form->calls.clear();
        QWidget other;
        other.setFocusPolicy(Qt::StrongFocus);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.setFocus();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTRY_COMPARE(QApplication::focusWidget(), form->part("edtB"));
        QCOMPARE(form->calls, QStringList({"activate"}));

        // Into a group, within it, and out of it.
        form->calls.clear();
        focusAndSettle(form->part("edtC"));
        focusAndSettle(form->part("edtD"));
        focusAndSettle(form->part("edtA"));
        QCOMPARE(form->calls, QStringList({"exit edtB", "exit edtC", "exit edtD", "exit grbGroup"}));
    }

    void leaveHandlerKeepingTheFocusFiresNothingMore()
    {
        focusAndSettle(form->part("edtA"));
        form->keepFocusOnA = true;
        form->calls.clear();
        form->part("edtB")->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), form->part("edtA"));
        QCOMPARE(form->calls, QStringList({"exit edtA"}));
    }

    void nestedHandlerErrorReachesItsCaller_data()
    {
        QTest::addColumn<bool>("byClearing");
        QTest::addRow("text written") << false;
        QTest::addRow("text cleared") << true;
    }
    void nestedHandlerErrorReachesItsCaller()
    {
        QFETCH(bool, byClearing);
        if (byClearing) {
            // Something to clear; written outside any handler, its change is a command of its own.
            form->part("edtE")->setText("123");
            QCOMPARE(context->dialogs().shownMessages(), QStringList({"Código inválido."}));
            context->dialogs().clearMessages();
        }
        form->writeByClearing = byClearing;
        // Pressed from the event loop: the outermost handler shows the error, once.
        form->part<TSpeedButton>("sbtWrite")->Click();
        QVERIFY(!form->calls.contains("went on after writing"));
        QCOMPARE(form->calls.last(), QString("caught Código inválido."));
        QCOMPARE(context->dialogs().shownMessages(), QStringList({"Código inválido."}));
    }

    void tabWalksTheLayoutOrderThroughCheckedOptionsOnly()
    {
        focusAndSettle(form->part("edtB"));
        QStringList walked;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, QStringList({"edtC", "edtD", "edtE", "rbtOne", "cbbReportNames"}));
        form->part<QRadioButton>("rbtTwo")->setChecked(true);
        focusAndSettle(form->part("edtE"));
        QTest::keyClick(form->part("edtE"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("rbtTwo"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("edtE"));
    }

    void keyPreviewSeesKeysBeforeTheControl()
    {
        focusAndSettle(form->part("edtA"));
        form->calls.clear();
        QTest::keyClick(form->part("edtA"), Qt::Key_X);
        QCOMPARE(form->calls, QStringList({"form key 88", "edtA key 88"}));
        QCOMPARE(form->part("edtA")->text(), QString("x"));

        // Ctrl+I is the form's: the box never sees it, the print command runs and finds no layout.
        form->calls.clear();
        QTest::keyClick(form->part("edtA"), Qt::Key_I, Qt::ControlModifier);
        // Ctrl itself goes down first, to both, as any key does.
        QCOMPARE(form->calls, QStringList({"form key 17", "edtA key 17", "form key 73"}));
        QCOMPARE(
            context->dialogs().shownMessages(),
            QStringList({"O arquivo contendo a definição do relatório de código 'Tst001' não foi encontrado "
                         "no diretório '" +
                         reports.path() + "'."}));
    }

    void closeActionDecidesWhatClosingDoes_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("minimized");
        QTest::addColumn<bool>("freed");
        QTest::newRow("none") << int(caNone) << true << false << false;
        QTest::newRow("hide") << int(caHide) << false << false << false;
        QTest::newRow("minimize") << int(caMinimize) << true << true << false;
        QTest::newRow("free") << int(caFree) << false << false << true;
    }
    void closeActionDecidesWhatClosingDoes()
    {
        QFETCH(int, action);
        QFETCH(bool, visible);
        QFETCH(bool, minimized);
        QFETCH(bool, freed);
        QPointer<TstReportForm> closing = form;
        form->closeAction = TCloseAction(action);
        form->sbtSair->Click();
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(closing.isNull(), freed);
        if (freed) {
            form = nullptr;
            return;
        }
        QCOMPARE(form->isVisible(), visible);
        QCOMPARE(form->isMinimized(), minimized);
        QVERIFY(!form->isClosed());
    }

    void failingCloseHandlerKeepsTheFormOpen()
    {
        form->failClose = true;
        QVERIFY(!form->close()); // the window's close button
        QVERIFY(form->isVisible());
        QVERIFY(!form->isClosed());
        QCOMPARE(context->dialogs().shownMessages(), QStringList({"Não pode fechar agora."}));
    }

    void failedCreationLeavesNoForm()
    {
        TstReportForm* failing = nullptr;
        TstReportForm::failCreate = true;
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, Frm::createForm(failing, context->context()));
        QVERIFY(!failing);
        // The error reached the caller, not the error display.
        QVERIFY(context->dialogs().shownMessages().isEmpty());
    }

    void layoutListComesFromTheReportsFolder()
    {
        const QString shipped = QStringLiteral(KAV_SOURCE_DIR "/reports/");
        if (!QFile::exists(shipped + "Zve41301.QR2") || !QFile::exists(shipped + "Zve41304.QR2"))
            QSKIP("the shipped report layouts are not in the checkout");
        QVERIFY(QFile::copy(shipped + "Zve41304.QR2", reports.filePath("Tst00104.QR2")));
        QVERIFY(QFile::copy(shipped + "Zve41301.QR2", reports.filePath("Tst00101.QR2")));
        form->refreshReportList();
        QCOMPARE(form->layoutCodes(), QStringList({"01", "04"}));
        const QList<Qr::ReportEntry> entries = Qr::ReportCatalog::list({reports.path()}, "Tst001");
        QCOMPARE(form->cbbReportNames->items(), QStringList({entries.at(0).title, entries.at(1).title}));
        QCOMPARE(form->chosenLayoutCode(), QString("01"));
        form->cbbReportNames->setCurrentIndex(1);
        form->refreshReportList(); // the choice survives a new reading
        QVERIFY(form->isChosenLayout("04"));
        QVERIFY(!form->isChosenLayout("4"));
    }

    // Two clients in one process (a test inside a running host, two hosts' contexts): a form works
    // for the context its creator gave it, not for the one made last, and so do the components
    // its layouts create (the report dialog). Each client's report folders, report dialog, MDI
    // area and messages stay its own.
    void formsOfTwoClientsKeepToTheirOwn()
    {
        const QString shipped = QStringLiteral(KAV_SOURCE_DIR "/reports/");
        if (!QFile::exists(shipped + "Zve41301.QR2") || !QFile::exists(shipped + "Zve41304.QR2"))
            QSKIP("the shipped report layouts are not in the checkout");
        QTemporaryDir firstReports;
        QTemporaryDir secondReports;
        QVERIFY(QFile::copy(shipped + "Zve41301.QR2", firstReports.filePath("Tst00101.QR2")));
        QVERIFY(QFile::copy(shipped + "Zve41304.QR2", secondReports.filePath("Tst00104.QR2")));
        const auto sessionOf = [](const QTemporaryDir& dir, const QString& branch) {
            Kavenso::Session session;
            session.filial = branch;
            session.reportsDir = dir.path();
            session.userReportsDir = dir.filePath(QStringLiteral("meus"));
            return session;
        };
        TestClientContext first(sessionOf(firstReports, "0001"));
        TestClientContext second(sessionOf(secondReports, "0002")); // current from here on
        HostWindow secondHost(second.context());
        QVERIFY(secondHost.waitActive());

        TstReportForm* ofFirst = nullptr;
        TstReportForm* ofSecond = nullptr;
        Frm::createForm(ofSecond, second.context());
        Frm::createForm(ofFirst, first.context());
        const auto closeBoth = qScopeGuard([&] {
            for (QPointer<TstReportForm> closing : {QPointer(ofFirst), QPointer(ofSecond)}) {
                if (closing)
                    closing->Close();
                QTRY_VERIFY(!closing);
            }
        });

        QCOMPARE(&ofFirst->context(), &first.context());
        QCOMPARE(ofFirst->layoutCodes(), QStringList({"01"}));
        QCOMPARE(ofSecond->layoutCodes(), QStringList({"04"}));
        QCOMPARE(ofFirst->rpddPadrao->UserReportsDir(), firstReports.filePath("meus"));
        QCOMPARE(ofSecond->rpddPadrao->UserReportsDir(), secondReports.filePath("meus"));
        // Only the second client has a host window: the first one's form is a window of its own.
        QVERIFY(!ofFirst->subWindow());
        QVERIFY(ofSecond->subWindow());
        QCOMPARE(ofSecond->subWindow()->mdiArea(), secondHost.area());

        // A missing layout is told in the form's own client, naming its own reports folder.
        QFile::remove(firstReports.filePath("Tst00101.QR2"));
        ofFirst->sbtPrint->Click();
        QCOMPARE(first.dialogs().shownMessages().size(), 1);
        QVERIFY2(first.dialogs().shownMessages().first().contains(firstReports.path()),
                 qPrintable(first.dialogs().shownMessages().first()));
        QVERIFY(second.dialogs().shownMessages().isEmpty());
    }

    void mdiChildIsActivatedWithItsWindow()
    {
        HostWindow main(context->context());
        QVERIFY(main.waitActive());
        QMdiArea* area = main.area();
        TstReportForm* child = nullptr;
        Frm::createForm(child, context->context());
        QTRY_COMPARE(child->calls, QStringList({"create", "activate"}));
        QMdiSubWindow* other = area->addSubWindow(new QWidget);
        other->show();
        area->setActiveSubWindow(other);
        area->setActiveSubWindow(child->subWindow());
        QTRY_COMPARE(child->calls, QStringList({"create", "activate", "activate"}));
        child->Close();
        QTRY_COMPARE(area->subWindowList().size(), 1);

        // Closing the form itself, not its MDI window, takes the window away too.
        TstReportForm* second = nullptr;
        Frm::createForm(second, context->context());
        QTRY_COMPARE(area->subWindowList().size(), 2);
        QVERIFY(second->close());
        QTRY_COMPARE(area->subWindowList().size(), 1);
    }

    void fixedBorderMdiWindowWrapsTheFormWithoutMaximizeButton()
    {
        HostWindow main(context->context());
        QVERIFY(main.waitActive());
        QMdiArea* area = main.area();
        TstReportForm* child = nullptr;
        Frm::createForm(child, context->context());
        QMdiSubWindow* window = child->subWindow();
        QVERIFY(window && window->isVisible());
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        for (const Qt::WindowType kept : {Qt::SubWindow, Qt::WindowTitleHint, Qt::WindowSystemMenuHint,
                                          Qt::WindowMinimizeButtonHint, Qt::WindowCloseButtonHint})
            QVERIFY(flags.testFlag(kept));
        // The whole form, at the size its layout gives it, shows inside the window.
        QCOMPARE(child->size(), QSize(490, 376));
        QVERIFY(window->rect().contains(QRect(child->mapTo(window, QPoint()), child->size())));
        QCOMPARE(child->windowTitle(), QString("Teste"));
        QCOMPARE(window->windowTitle(), QString("Teste"));
        child->Close();
        QTRY_VERIFY(area->subWindowList().isEmpty());
    }
};

QTEST_MAIN(TstBaseForm)
#include "tst_baseform.moc"
