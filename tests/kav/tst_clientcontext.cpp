// The client context: which one is current, what it installs while current, and the two ways
// its dialog service answers (a script's answers given beforehand, never blocking).
#include "CallWait.h"
#include "Consiste.h"
#include "Events.h"
#include "Kavenso.h"
#include "KavException.h"
#include "TestClientContext.h"

#include <QDialog>
#include <QtTest>

namespace {
std::unique_ptr<Kav::CallWaitView> noPanel(const QString&, const std::function<void()>&)
{
    return {};
}
} // namespace

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
        QStringList afterwards;
        {
            TestClientContext context;
            Kav::runHandler([] { throw Kav::Exception("Falhou."); });
            QCOMPARE(context.dialogs().shownMessages(), QStringList{"Falhou."});
        }
        // The display put back is the one before the context: nothing of it is left behind.
        const Kav::ErrorDisplay previous =
            Kav::setErrorDisplay([&afterwards](const QString& message) { afterwards << message; });
        Kav::runHandler([] { throw Kav::Exception("Depois."); });
        Kav::setErrorDisplay(previous);
        QCOMPARE(afterwards, QStringList{"Depois."});
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
