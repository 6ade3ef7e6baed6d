// The client context: which one is current, what it installs while current, and the two ways
// its dialog service answers (a script's answers given beforehand, never blocking).
#include "CallWait.h"
#include "Consiste.h"
#include "DatabaseConnection.h"
#include "dtmDBGeral.h"
#include "Events.h"
#include "Kavenso.h"
#include "KavException.h"
#include "TestClientContext.h"

#include <QDialog>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
std::unique_ptr<Kav::CallWaitView> noPanel(const QString&, const std::function<void()>&)
{
    return {};
}
} // namespace

// A form's handler that warns, then fails.
class TstWarningForm : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void btnClick(QObject*)
    {
        Consiste::MensErro(QStringLiteral("Aviso."), false);
        throw Kav::Exception(QStringLiteral("Falhou."));
    }
};

class TstClientContext : public QObject
{
    Q_OBJECT
private slots:
    void noContextIsRefusedWithAMessage()
    {
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, Kav::ClientContext::current());
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, Kavenso::FiliProc());
    }

    void innerContextTakesOverAndGivesBack()
    {
        TestClientContext outer({"0001", "servidor", 4130, {}, {}});
        {
            TestClientContext inner({"0002", "outro", 4131, {}, {}});
            QCOMPARE(&Kav::ClientContext::current(), &inner.context());
            QCOMPARE(Kavenso::FiliProc(), QString("0002"));
            Consiste::MensErro("Dentro.", false);
            QCOMPARE(inner.dialogs().shownMessages(), QStringList{"Dentro."});
        }
        QCOMPARE(&Kav::ClientContext::current(), &outer.context());
        QCOMPARE(Kavenso::WebURL(), QString("servidor"));
        QVERIFY(outer.dialogs().shownMessages().isEmpty());
    }

    void errorsEndingACommandReachTheCurrentContextOnly()
    {
        TestClientContext outer;
        {
            TestClientContext inner;
            Kav::runHandler([] { throw Kav::Exception("Falhou."); });
            QCOMPARE(inner.dialogs().shownMessages(), QStringList{"Falhou."});
        }
        // The outer context shows its own errors again: nothing of the inner one is left behind.
        Kav::runHandler([] { throw Kav::Exception("Depois."); });
        QCOMPARE(outer.dialogs().shownMessages(), QStringList{"Depois."});
    }

    // A handler bound for a client runs as that client's command whichever client is current (two
    // hosts' clients, a test inside a running host): what it shows and the error that ends it
    // reach its own dialogs, and the current client is put back after it.
    void handlerRunsAsItsOwnClientsCommand_data()
    {
        QTest::addColumn<bool>("boundToEarlier");
        QTest::addRow("bound to the earlier client") << true;
        QTest::addRow("bound to the current client") << false;
    }
    void handlerRunsAsItsOwnClientsCommand()
    {
        QFETCH(bool, boundToEarlier);
        TestClientContext earlier;
        TestClientContext later;
        TestClientContext& own = boundToEarlier ? earlier : later;
        TestClientContext& other = boundToEarlier ? later : earlier;
        QObject button;
        TstWarningForm form;
        Kav::bindEvent(&button, "OnClick", &form, "btnClick", &own.context());
        QVERIFY(Kav::fireEvent(&button, "OnClick", Q_ARG(QObject*, &button)));
        QCOMPARE(own.dialogs().shownMessages(), (QStringList{"Aviso.", "Falhou."}));
        QVERIFY(other.dialogs().shownMessages().isEmpty());
        QCOMPARE(&Kav::ClientContext::current(), &later.context());
    }

    // The host's database module is the context's own: dtmDBGeral reaches the current one, and
    // ending a context closes its connection only.
    void sharedDatabaseIsTheCurrentContexts()
    {
        QTemporaryDir dir;
        const QString url = QStringLiteral("sqlite://") + dir.filePath(QStringLiteral("contexto.db"));
        Kav::DatabaseConnection::open(url, QStringLiteral("maker"),
                                      Kav::DatabaseConnection::OpenMode::CreateIfMissing);
        Kav::DatabaseConnection::close(QStringLiteral("maker"));
        TestClientContext outer;
        outer.context().database().open(url);
        QCOMPARE(dtmDBGeral::connectionName(), outer.context().database().connectionName());
        QString innerName;
        {
            TestClientContext inner;
            QVERIFY(!dtmDBGeral::isOpen());
            dtmDBGeral::open(url);
            innerName = inner.context().database().connectionName();
            QVERIFY(innerName != outer.context().database().connectionName());
        }
        QVERIFY(!QSqlDatabase::contains(innerName));
        QVERIFY(dtmDBGeral::isOpen());
        QVERIFY(QSqlQuery(dtmDBGeral::database()).exec(QStringLiteral("SELECT 1")));
    }

    void waitPanelIsInstalledOnlyWhileCurrent()
    {
        const Kav::CallWaitPresenter before = Kav::setCallWaitPresenter(&noPanel);
        {
            TestClientContext context;
            const Kav::CallWaitPresenter installed = Kav::setCallWaitPresenter(nullptr);
            const auto* panel = installed.target<decltype(&noPanel)>();
            QVERIFY(panel && *panel != &noPanel);
            Kav::setCallWaitPresenter(installed);
        }
        const Kav::CallWaitPresenter restored = Kav::setCallWaitPresenter(before);
        const auto* putBack = restored.target<decltype(&noPanel)>();
        QVERIFY(putBack && *putBack == &noPanel);
    }

    void scriptedAnswersQuestionsAndFilesFromTheQueue()
    {
        TestClientContext context;
        auto& dialogs = context.dialogs();
        dialogs.queueAnswer(Kav::DialogKind::Question, "yes");
        dialogs.queueAnswer(Kav::DialogKind::Question, "no");
        dialogs.queueAnswer(Kav::DialogKind::File, "cancel");
        QVERIFY(dialogs.askQuestion("Descartar?"));
        QVERIFY(!dialogs.askQuestion("Restaurar?"));
        QCOMPARE(dialogs.saveFileName(nullptr, "Salvar", "/home/rel.pdf", ""), QString());
        QCOMPARE(dialogs.lastOfferedFile(), QString("/home/rel.pdf"));
        QCOMPARE(dialogs.shownMessages(), (QStringList{"Descartar?", "Restaurar?"}));
        QVERIFY(dialogs.pendingAnswers().isEmpty());
    }

    void scriptedRefusalEndsTheCommandAndProgressNeverCancels()
    {
        TestClientContext context;
        auto& dialogs = context.dialogs();
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, dialogs.refuseAnswer("A página não comporta o relatório."));
        const auto progress = dialogs.progress(nullptr, "Relatório");
        QVERIFY(progress("Lendo", 1, 2));
        QVERIFY(progress("Lendo", 2, 2));
    }

    void scriptedWindowIsShownOnlyWhenComplete_data()
    {
        QTest::addColumn<bool>("complete");
        QTest::addRow("complete: shown and answered") << true;
        QTest::addRow("nothing to show: not shown, not answered") << false;
    }
    void scriptedWindowIsShownOnlyWhenComplete()
    {
        QFETCH(bool, complete);
        TestClientContext context;
        auto& dialogs = context.dialogs();
        dialogs.queueAnswer(Kav::DialogKind::Preview, "next close");
        QDialog window;
        window.setWindowTitle("Visualizar");
        int completions = 0;
        const auto answer = dialogs.runWindow(window, Kav::DialogKind::Preview, [&] {
            ++completions;
            return complete;
        });
        QCOMPARE(completions, 1);
        QCOMPARE(window.isVisible(), complete);
        QCOMPARE(answer, complete ? std::optional<QString>("next close") : std::nullopt);
        QCOMPARE(dialogs.pendingAnswers().isEmpty(), complete);
    }
};

QTEST_MAIN(TstClientContext)
#include "tst_clientcontext.moc"
