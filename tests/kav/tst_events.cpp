#include "Events.h"
#include "KavException.h"

#include <QtTest>

namespace {

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

} // namespace

class TstEvents : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        shown.clear();
        Kav::setErrorDisplay([this](const QString& message) { shown << message; });
    }

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
};

QTEST_MAIN(TstEvents)
#include "tst_events.moc"
