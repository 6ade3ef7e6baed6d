#include "Consiste.h"
#include "KavException.h"
#include "TestClientContext.h"

#include <QtTest>

class TstConsiste : public QObject
{
    Q_OBJECT
private slots:
    void ajustaPadsDigitsAndTrimsOthers_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::addRow("digits padded") << "2" << 10 << "0000000002";
        QTest::addRow("stored form unchanged") << "0000000002" << 10 << "0000000002";
        QTest::addRow("empty stays empty") << "" << 10 << "";
        QTest::addRow("blanks become empty") << "   " << 4 << "";
        QTest::addRow("letters trimmed, not padded") << " AB " << 4 << "AB";
        QTest::addRow("mixed code not padded") << "A1" << 4 << "A1";
        QTest::addRow("branch digits padded") << "12" << 4 << "0012";
    }
    void ajustaPadsDigitsAndTrimsOthers()
    {
        QFETCH(QString, code);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(Consiste::Ajusta(code, width), expected);
    }

    void emptyStringIgnoresBlanks()
    {
        QVERIFY(Consiste::EmptyString(""));
        QVERIFY(Consiste::EmptyString("  "));
        QVERIFY(!Consiste::EmptyString(" 0 "));
    }

    void mensErroWithAbortRecordsAndRaisesSilently()
    {
        TestClientContext context;
        auto& dialogs = context.dialogs();
        QVERIFY_THROWS_EXCEPTION(Kav::SilentAbort, Consiste::MensErro("Falhou.", true));
        Consiste::MensErro("Aviso.", false);
        QCOMPARE(dialogs.shownMessages(), QStringList({"Falhou.", "Aviso."}));
    }

    void unansweredDialogIsReportedAndCancelled()
    {
        TestClientContext context;
        auto& dialogs = context.dialogs();
        QSignalSpy unanswered(&dialogs, &Kav::ScriptedDialogService::dialogUnanswered);
        dialogs.queueAnswer(Kav::DialogKind::File, "/tmp/a.pdf");
        QCOMPARE(dialogs.takeAnswer(Kav::DialogKind::Lookup, "Período"), QString("cancel"));
        QCOMPARE(unanswered.count(), 1);
        QCOMPARE(dialogs.pendingAnswers(), QStringList({"file /tmp/a.pdf"}));
        QCOMPARE(dialogs.saveFileName(nullptr, "Salvar", "", ""), QString("/tmp/a.pdf"));
        QVERIFY(dialogs.pendingAnswers().isEmpty());
    }
};

QTEST_MAIN(TstConsiste)
#include "tst_consiste.moc"
