#include "ClientCoreContext.h"
#include "Events.h"
#include "KavException.h"

#include <optional>
#include <QtTest>

namespace {

// A control whose notification reaches handlers through Qt's signal machinery, as a text box's
// change does.
class Emitter : public QObject
{
    Q_OBJECT
public:
    Emitter()
    {
        connect(this, &Emitter::changed, this, [this] { Kav::runFromQt([this] { notify(); }); });
    }

    // Records whether Qt's emitting frames returned normally, as they must.
    void change()
    {
        emit changed();
        qtReturned = true;
    }
    bool qtReturned = false;

signals:
    void changed();

private:
    void notify() { Kav::fireEvent(this, "OnChange", Q_ARG(QObject*, this)); }
};

// A form-like receiver whose handlers record what ran and can fail on request.
class Receiver : public QObject
{
    Q_OBJECT
public:
    QStringList calls;
    QObject* nestedSource = nullptr;

    Q_INVOKABLE void plainClick(QObject*) { calls << "plainClick"; }
    Q_INVOKABLE void failingClick(QObject*)
    {
        calls << "failingClick";
        throw Kav::Exception("Falha no clique.");
    }
    Q_INVOKABLE void abortingClick(QObject*)
    {
        calls << "abortingClick";
        throw Kav::SilentAbort("já mostrada");
    }
    Q_INVOKABLE void flagSetter(QObject*, bool& flag) { flag = true; }
    Q_INVOKABLE void otherFailingClick(QObject*) { throw Kav::Exception("Outra falha."); }
    // Changes the emitter through Qt and lets its caller see the change handler's error.
    Q_INVOKABLE void writeThroughQt(QObject*)
    {
        try {
            Kav::callIntoQt([this] { emitter->change(); });
            calls << "went on after the change";
        } catch (const Kav::Exception& error) {
            calls << "writer caught: " + error.message();
            throw;
        }
    }
    // Changes the emitter through Qt without looking for its error, then carries on.
    Q_INVOKABLE void writeAndGoOn(QObject*)
    {
        emitter->change();
        calls << "went on after the change";
    }
    Q_INVOKABLE void writeAndFail(QObject*)
    {
        emitter->change();
        throw Kav::Exception("Falha depois da mudança.");
    }
    Emitter* emitter = nullptr;
    // Fires another event whose handler fails: the failure must reach this handler.
    Q_INVOKABLE void outerClick(QObject*)
    {
        try {
            Kav::fireEvent(nestedSource, "OnClick", Q_ARG(QObject*, nestedSource));
        } catch (const Kav::Exception& error) {
            calls << "outer caught: " + error.message();
            throw;
        }
    }
};

// Its handlers come after the base class's in the meta-object's numbering.
class DerivedReceiver : public Receiver
{
    Q_OBJECT
public:
    Q_INVOKABLE void ownClick(QObject*) { calls << "ownClick"; }
};

} // namespace

class TstEvents : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        shown.clear();
        context.emplace();
        Kav::setErrorDisplay([this](const QString& message) { shown << message; });
    }
    void cleanup() { context.reset(); }

    void boundHandlerRunsByName()
    {
        QObject button;
        Receiver form;
        Kav::bindEvent(&button, "OnClick", &form, "plainClick");
        QVERIFY(Kav::fireEvent(&button, "OnClick", Q_ARG(QObject*, &button)));
        QCOMPARE(form.calls, QStringList{"plainClick"});
        QVERIFY(!Kav::fireEvent(&button, "OnExit", Q_ARG(QObject*, &button)));
    }

    void referenceArgumentsReachTheHandler()
    {
        QObject button;
        Receiver form;
        Kav::bindEvent(&button, "OnBeforePesq", &form, "flagSetter");
        bool flag = false;
        Kav::fireEvent(&button, "OnBeforePesq", Q_ARG(QObject*, &button), Q_ARG(bool&, flag));
        QVERIFY(flag);
    }

    void outermostHandlerShowsErrorsAndSwallowsSilentAbort()
    {
        QObject button;
        Receiver form;
        Kav::bindEvent(&button, "OnClick", &form, "failingClick");
        Kav::fireEvent(&button, "OnClick", Q_ARG(QObject*, &button));
        Kav::bindEvent(&button, "OnClick", &form, "abortingClick");
        Kav::fireEvent(&button, "OnClick", Q_ARG(QObject*, &button));
        QCOMPARE(shown, QStringList{"Falha no clique."});
        QVERIFY(!Kav::isHandlerRunning());
    }

    void nestedHandlerPassesItsErrorToTheCaller()
    {
        QObject outer, inner;
        Receiver form;
        form.nestedSource = &inner;
        Kav::bindEvent(&outer, "OnClick", &form, "outerClick");
        Kav::bindEvent(&inner, "OnClick", &form, "failingClick");
        Kav::fireEvent(&outer, "OnClick", Q_ARG(QObject*, &outer));
        QCOMPARE(form.calls, QStringList({"failingClick", "outer caught: Falha no clique."}));
        QCOMPARE(shown, QStringList{"Falha no clique."}); // shown once, by the outermost run
    }

    // A handler reached through Qt's frames while another runs: its error never unwinds through
    // them, and still ends the caller's command with the message shown once.
    void errorThroughQtReachesTheWriter()
    {
        QObject button;
        Emitter edit;
        Receiver form;
        form.emitter = &edit;
        Kav::bindEvent(&button, "OnClick", &form, "writeThroughQt");
        Kav::bindEvent(&edit, "OnChange", &form, "failingClick");
        Kav::fireEvent(&button, "OnClick", Q_ARG(QObject*, &button));
        QVERIFY(edit.qtReturned);
        QCOMPARE(form.calls, QStringList({"failingClick", "writer caught: Falha no clique."}));
        QCOMPARE(shown, QStringList{"Falha no clique."});
    }

    void errorThroughQtEndsTheEnclosingHandler_data()
    {
        QTest::addColumn<QByteArray>("writer");
        QTest::addColumn<QByteArray>("changeHandler");
        QTest::addColumn<QStringList>("expectedShown");
        // Nobody looked for it: it is thrown when the writing handler returns.
        QTest::addRow("writer goes on")
            << QByteArray("writeAndGoOn") << QByteArray("failingClick") << QStringList{"Falha no clique."};
        // Unwinding would have ended the writer before its own failure.
        QTest::addRow("writer fails later")
            << QByteArray("writeAndFail") << QByteArray("failingClick") << QStringList{"Falha no clique."};
        QTest::addRow("silent abort kept")
            << QByteArray("writeAndFail") << QByteArray("abortingClick") << QStringList();
    }
    void errorThroughQtEndsTheEnclosingHandler()
    {
        QFETCH(QByteArray, writer);
        QFETCH(QByteArray, changeHandler);
        QFETCH(QStringList, expectedShown);
        QObject button;
        Emitter edit;
        Receiver form;
        form.emitter = &edit;
        Kav::bindEvent(&button, "OnClick", &form, writer);
        Kav::bindEvent(&edit, "OnChange", &form, changeHandler);
        Kav::fireEvent(&button, "OnClick", Q_ARG(QObject*, &button));
        QVERIFY(edit.qtReturned);
        QCOMPARE(shown, expectedShown);
        QVERIFY(!Kav::isHandlerRunning());

        // Nothing is left over for the next command.
        Kav::bindEvent(&button, "OnClick", &form, "plainClick");
        shown.clear();
        Kav::fireEvent(&button, "OnClick", Q_ARG(QObject*, &button));
        QCOMPARE(shown, QStringList());
        QCOMPARE(form.calls.last(), QString("plainClick"));
    }

    void firstErrorThroughQtWins()
    {
        QObject button;
        Emitter first, second;
        Receiver form;
        Kav::bindEvent(&first, "OnChange", &form, "failingClick");
        Kav::bindEvent(&second, "OnChange", &form, "otherFailingClick");
        Kav::runHandler([&] {
            first.change();
            second.change();
        });
        QCOMPARE(shown, QStringList{"Falha no clique."});
        QCOMPARE(form.calls, QStringList{"failingClick"});
    }

    // Outside any handler the change is a command of its own.
    void changeOutsideHandlersIsItsOwnCommand()
    {
        Emitter edit;
        Receiver form;
        Kav::bindEvent(&edit, "OnChange", &form, "failingClick");
        edit.change();
        QVERIFY(edit.qtReturned);
        QCOMPARE(shown, QStringList{"Falha no clique."});
    }

    void handlerOfABaseClassRuns()
    {
        QObject button;
        DerivedReceiver form;
        Kav::bindEvent(&button, "OnClick", &form, "plainClick");
        Kav::bindEvent(&button, "OnExit", &form, "ownClick");
        QVERIFY(Kav::fireEvent(&button, "OnClick", Q_ARG(QObject*, &button)));
        QVERIFY(Kav::fireEvent(&button, "OnExit", Q_ARG(QObject*, &button)));
        QCOMPARE(form.calls, QStringList({"plainClick", "ownClick"}));
        QCOMPARE(shown, QStringList());
    }

    void bindingGoesWithItsSource()
    {
        Receiver form;
        auto* button = new QObject;
        Kav::bindEvent(button, "OnClick", &form, "plainClick");
        QVERIFY(Kav::isEventBound(button, "OnClick"));
        // The deleted object's address is only looked up, never followed: a binding left behind
        // would be inherited by the next object the allocator puts there.
        const QObject* const goneAddress = button;
        delete button;
        QVERIFY(!Kav::isEventBound(goneAddress, "OnClick"));
        QObject other;
        QVERIFY(!Kav::isEventBound(&other, "OnClick"));
    }

    void unknownHandlerIsAnError()
    {
        QObject button;
        Receiver form;
        QVERIFY(!Kav::hasHandler(&form, "missingClick"));
        Kav::bindEvent(&button, "OnClick", &form, "missingClick");
        Kav::fireEvent(&button, "OnClick", Q_ARG(QObject*, &button));
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().contains("missingClick"));
    }

private:
    QStringList shown;
    // Each test's own commands and error display.
    std::optional<Kav::ClientCoreContext> context;
};

QTEST_MAIN(TstEvents)
#include "tst_events.moc"
