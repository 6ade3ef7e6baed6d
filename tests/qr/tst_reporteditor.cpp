// The layout editor never throws work away unasked: leaving it with changes asks first, and
// leaving it untouched does not.
#include "DialogService.h"
#include "LayoutReader.h"
#include "ReportEditorDialog.h"

#include <QLineEdit>
#include <QtTest>

class TstReportEditor : public QObject
{
    Q_OBJECT

    ReportLayout layout;
    Kav::DialogService& dialogs = Kav::DialogService::instance();

private slots:
    void initTestCase()
    {
        layout = LayoutReader::readFile(QStringLiteral(KAV_SOURCE_DIR "/reports/Zve41301.QR2"));
        dialogs.setAutomated(true);
    }

    void init()
    {
        dialogs.clearMessages();
        dialogs.clearAnswers();
    }

    void untouchedEditorClosesWithoutAsking()
    {
        ReportEditorDialog editor(layout, QStringLiteral("Zve41301.QR2"));
        editor.show();
        QVERIFY(!editor.hasChanges());
        editor.reject();
        QCOMPARE(editor.result(), int(QDialog::Rejected));
        QVERIFY(dialogs.shownMessages().isEmpty());
    }

    void changesAreDiscardedOnlyWhenTheUserAgrees()
    {
        ReportEditorDialog editor(layout, QStringLiteral("Zve41301.QR2"));
        editor.show();
        QTest::keyClicks(editor.findChild<QLineEdit*>(QStringLiteral("edtTitulo")),
                         QStringLiteral(" (copia)"));
        QVERIFY(editor.hasChanges());
        dialogs.queueAnswer(Kav::DialogKind::Question, QStringLiteral("no"));
        editor.reject();
        QVERIFY(editor.isVisible()); // the user kept the changes: still editing
        QCOMPARE(dialogs.shownMessages(),
                 QStringList{QStringLiteral("Descartar as alterações feitas no relatório?")});
        dialogs.queueAnswer(Kav::DialogKind::Question, QStringLiteral("yes"));
        editor.reject();
        QVERIFY(!editor.isVisible());
        QCOMPARE(editor.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TstReportEditor)
#include "tst_reporteditor.moc"
