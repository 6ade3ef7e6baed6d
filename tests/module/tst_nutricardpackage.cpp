// The package's entry and factory: one form however often the entry is called, a form that is
// closed (by the user or by itself while starting) is forgotten so the next call makes a new one,
// and nothing raised while creating escapes the entry.
#include "Cli_Zve41300.h"
#include "DemoDatabase.h"
#include "dtmDBGeral.h"
#include "Events.h"
#include "FormFactory.h"
#include "HostWindow.h"
#include "Kavenso.h"
#include "KavException.h"
#include "TestClientContext.h"
#include "TfrmNutriCard.h"
#include "TMaskEdit.h"
#include "TNetConnection.h"

#include <optional>
#include <QLibrary>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTcpServer>
#include <QtTest>

using Cli_Zve41300::boIdCriado;
using Cli_Zve41300::frmNutriCard;

// A screen that refuses to start: it closes itself from its creation handler, which replaces
// the screen's handler of the same name and calls it first.
class TstRefusingNutriCard : public TfrmNutriCard
{
    Q_OBJECT
public:
    using TfrmNutriCard::TfrmNutriCard;
    static inline int created = 0;
    Q_INVOKABLE void FormCreate(QObject* Sender)
    {
        TfrmNutriCard::FormCreate(Sender);
        ++created;
        frmNutriCard->Close();
    }
};

// A screen whose creation fails with an error.
class TstFailingNutriCard : public TfrmNutriCard
{
    Q_OBJECT
public:
    using TfrmNutriCard::TfrmNutriCard;
    Q_INVOKABLE void FormCreate(QObject*) { throw Kav::Exception("Banco de dados indisponível."); }
};

int countWindows(const std::function<bool(QWidget*)>& which)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return int(std::count_if(windows.begin(), windows.end(), which));
}

class TstNutriCardPackage : public QObject
{
    Q_OBJECT

    std::unique_ptr<DemoDatabase> database;
    // Each test's own, made before its forms and ended after them.
    std::optional<TestClientContext> context;

    static void closeScreen()
    {
        if (frmNutriCard)
            frmNutriCard->Close();
        QTRY_VERIFY(!frmNutriCard);
        QTest::qWait(0); // let the closed form be deleted
    }

private slots:
    void initTestCase()
    {
        database = std::make_unique<DemoDatabase>();
        QVERIFY2(database->error().isEmpty(), qPrintable(database->error()));
    }
    void cleanupTestCase() { database.reset(); }

    void init()
    {
        context.emplace(DemoDatabase::centralSession());
        // As the host does before it calls the entry.
        AttachClientContext(&context->context());
        database->openShared();
    }

    void cleanup()
    {
        closeScreen();
        QVERIFY(!boIdCriado);
        AttachClientContext(nullptr);
        context.reset();
    }

    void entryIsFoundByPlainName()
    {
        QLibrary package(QStringLiteral(KAV_BINARY_DIR "/bin/libPkg_Zve41300.so"));
        QVERIFY2(package.load(), qPrintable(package.errorString()));
        QVERIFY(package.resolve("IniProc"));
        // The module state the host reads, under its unit's name.
        QCOMPARE(reinterpret_cast<void*>(package.resolve("_ZN12Cli_Zve4130012frmNutriCardE")),
                 static_cast<void*>(&frmNutriCard));
        QCOMPARE(reinterpret_cast<void*>(package.resolve("_ZN12Cli_Zve4130010boIdCriadoE")),
                 static_cast<void*>(&boIdCriado));
    }

    void twoCallsShowOneFormRestoredToNormalSize()
    {
        IniProc();
        TfrmNutriCard* first = frmNutriCard;
        QVERIFY(first);
        QVERIFY(boIdCriado);
        QVERIFY(QTest::qWaitForWindowExposed(first));
        first->showMinimized();
        QTRY_VERIFY(first->isMinimized());
        IniProc();
        QCOMPARE(frmNutriCard, first);
        QCOMPARE(frmNutriCard->parent(), nullptr);
        QTRY_VERIFY(!first->isMinimized());
        QVERIFY(first->isVisible());
        QCOMPARE(countWindows([](QWidget* w) { return qobject_cast<TfrmNutriCard*>(w) != nullptr; }), 1);
    }

    void closingForgetsTheFormAndTheNextCallMakesANewOne()
    {
        IniProc();
        QPointer<TfrmNutriCard> first = frmNutriCard;
        first->Close();
        QVERIFY(!frmNutriCard);
        QVERIFY(!boIdCriado);
        QTRY_VERIFY(!first); // freed by its close action
        IniProc();
        QVERIFY(frmNutriCard);
        QVERIFY(boIdCriado);
        QVERIFY(frmNutriCard->isVisible());
    }

    void userClosingTheWindowRunsTheSameClose()
    {
        IniProc();
        QPointer<TfrmNutriCard> form = frmNutriCard;
        QVERIFY(form->close()); // the window's close button
        QVERIFY(!frmNutriCard);
        QVERIFY(!boIdCriado);
        QTRY_VERIFY(!form);
    }

    void closeDisconnectsBeforeTheBaseCloseRuns()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        Kavenso::Session session = Kavenso::CurrentSession();
        session.webUrl = QStringLiteral("127.0.0.1");
        session.webPort = server.serverPort();
        Kavenso::SetSession(session);
        IniProc();
        TfrmNutriCard* form = frmNutriCard;
        form->netNutriCard->setConnected(true); // host and port from the session, just before
        QVERIFY2(form->netNutriCard->Connected(), qPrintable(form->netNutriCard->LastError()));
        QCOMPARE(form->netNutriCard->Port(), int(server.serverPort()));

        bool connectedAtBaseClose = true;
        bool createdAtBaseClose = true;
        TfrmNutriCard* instanceAtBaseClose = nullptr;
        connect(form, &TfrmDadosGerRel::closing, this, [&] {
            connectedAtBaseClose = form->netNutriCard->Connected();
            createdAtBaseClose = boIdCriado;
            instanceAtBaseClose = frmNutriCard;
        });
        form->Close();
        QVERIFY(!connectedAtBaseClose);
        QVERIFY(!createdAtBaseClose);
        QCOMPARE(instanceAtBaseClose, form); // forgotten only after the base close
        QVERIFY(!frmNutriCard);
    }

    void formClosingItselfWhileStartingCanBeOpenedAgain()
    {
        TstRefusingNutriCard::created = 0;
        const auto refusing = [] {
            Frm::createFormOf<TstRefusingNutriCard>(frmNutriCard, *Cli_Zve41300::hostContext,
                                                    Cli_Zve41300::unit);
        };
        Cli_Zve41300::CriaNutriCard(refusing);
        QCOMPARE(TstRefusingNutriCard::created, 1);
        QVERIFY(!frmNutriCard);
        QVERIFY(!boIdCriado); // the mended case: the flag says no form exists
        QTest::qWait(0);
        QCOMPARE(countWindows([](QWidget* w) { return w->isVisible(); }), 0);
        Cli_Zve41300::CriaNutriCard(refusing);
        QCOMPARE(TstRefusingNutriCard::created, 2); // tried again
        Cli_Zve41300::CriaNutriCard();
        QVERIFY(frmNutriCard);
        QVERIFY(boIdCriado);
    }

    void failedCreationLeavesNoFormAndReachesOnlyTheMessages()
    {
        const auto failing = [] {
            Frm::createFormOf<TstFailingNutriCard>(frmNutriCard, *Cli_Zve41300::hostContext,
                                                   Cli_Zve41300::unit);
        };
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, Cli_Zve41300::CriaNutriCard(failing));
        QVERIFY(!frmNutriCard);
        QVERIFY(!boIdCriado);
        QCOMPARE(countWindows([](QWidget* w) { return w->inherits("TfrmNutriCard"); }), 0);
        // Through the entry the error is shown, never raised.
        context->dialogs().clearMessages();
        IniProc();
        QVERIFY(frmNutriCard); // the real screen opens
        closeScreen();
    }

    // Through the host's own path: the entry inside the dispatcher, the form in an MDI area. The
    // database refuses the first activation's query; the form that stays open is the one
    // instance, and a later call shows it instead of opening a second.
    void failedFirstActivationKeepsOneInstance()
    {
        HostWindow main(context->context());
        QVERIFY(main.waitActive());
        QMdiArea* area = main.area();
        QSqlQuery schema(dtmDBGeral::database());
        QVERIFY(schema.exec(QStringLiteral("ALTER TABLE PARAMGERAL RENAME TO PARAMGERAL_FORA")));
        const auto restore = qScopeGuard([] {
            QSqlQuery(dtmDBGeral::database())
                .exec(QStringLiteral("ALTER TABLE PARAMGERAL_FORA RENAME TO PARAMGERAL"));
        });
        auto& dialogs = context->dialogs();

        Kav::runHandler([] { IniProc(); });
        QCOMPARE(dialogs.shownMessages().size(), 1);
        TfrmNutriCard* first = frmNutriCard;
        QVERIFY(first);
        QVERIFY(boIdCriado);
        Kav::runHandler([] { IniProc(); });
        QCOMPARE(frmNutriCard, first);
        QCOMPARE(area->subWindowList().size(), 1);

        // A stray form of the same class closing does not make the module forget the live one.
        auto* stray = new TfrmNutriCard(context->context(), Cli_Zve41300::unit);
        stray->create();
        QCOMPARE(frmNutriCard, first);
        stray->Close();
        QCOMPARE(frmNutriCard, first);
        QVERIFY(boIdCriado);

        closeScreen();
        QVERIFY(!boIdCriado);
    }

    // Closing never validates: a code typed but not yet checked is left, not checked, when the
    // window goes (its close button, or the form's own close as the menu's Sair does).
    void closingWithAnUncheckedCodeValidatesNothing_data()
    {
        QTest::addColumn<bool>("byCloseButton");
        QTest::addRow("close button") << true;
        QTest::addRow("Sair") << false;
    }
    void closingWithAnUncheckedCodeValidatesNothing()
    {
        QFETCH(bool, byCloseButton);
        HostWindow main(context->context());
        QVERIFY(main.waitActive());
        QMdiArea* area = main.area();
        IniProc();
        TfrmNutriCard* form = frmNutriCard;
        QVERIFY(form);
        QTRY_VERIFY(form->medCdTipoCard->hasFocus());
        QTest::keyClicks(form->medCdTipoCard, "99");
        context->dialogs().clearMessages();
        if (byCloseButton)
            area->subWindowList().first()->close();
        else
            Kav::runHandler([form] { form->Close(); });
        QTRY_VERIFY(area->subWindowList().isEmpty());
        QCOMPARE(context->dialogs().shownMessages(), QStringList());
        QVERIFY(!frmNutriCard);
    }

    void screenOpensAsAnMdiChildOfTheMainWindow()
    {
        HostWindow main(context->context());
        QVERIFY(main.waitActive());
        QMdiArea* area = main.area();

        IniProc();
        TfrmNutriCard* form = frmNutriCard;
        QVERIFY(form);
        QCOMPARE(area->subWindowList().size(), 1);
        QMdiSubWindow* window = area->subWindowList().first();
        QCOMPARE(window->widget(), form);
        QCOMPARE(form->size(), QSize(490, 376));
        QCOMPARE(window->pos(), QPoint(373, 198));
        QTRY_COMPARE(area->activeSubWindow(), window);

        window->showMaximized();
        IniProc();
        QCOMPARE(area->subWindowList().size(), 1);
        QVERIFY(!window->isMaximized());

        QPointer<QMdiSubWindow> closing = window;
        window->close(); // the MDI window's close button
        QVERIFY(!frmNutriCard);
        QVERIFY(!boIdCriado);
        QTRY_VERIFY(!closing);
        QVERIFY(area->subWindowList().isEmpty());
        IniProc();
        QCOMPARE(area->subWindowList().size(), 1);
        closeScreen();
        QTRY_VERIFY(area->subWindowList().isEmpty());
    }
};

QTEST_MAIN(TstNutriCardPackage)
#include "tst_nutricardpackage.moc"
