// The layout editor never throws work away unasked: leaving it with changes asks first, and
// leaving it untouched does not. A user's copy can be put back to the standard layout.
#include "DialogService.h"
#include "Kavenso.h"
#include "LayoutReader.h"
#include "ReportEditorDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
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

    void userCopyCanBeRestoredToTheStandard()
    {
        Kavenso::Session session = Kavenso::CurrentSession();
        session.reportsDir = QStringLiteral(KAV_SOURCE_DIR "/reports");
        Kavenso::SetSession(session);
        QTemporaryDir userDir;
        ReportLayout copy = layout;
        copy.title = QStringLiteral("Minha cópia");
        ReportEditorDialog editor(copy, userDir.filePath(QStringLiteral("Zve41301.QR2")));
        auto* restore = editor.findChild<QPushButton*>(QStringLiteral("btnRestaurarPadrao"));
        QVERIFY(restore->isEnabled());
        dialogs.queueAnswer(Kav::DialogKind::Question, QStringLiteral("no"));
        restore->click();
        QCOMPARE(editor.findChild<QLineEdit*>(QStringLiteral("edtTitulo"))->text(),
                 QStringLiteral("Minha cópia"));
        dialogs.queueAnswer(Kav::DialogKind::Question, QStringLiteral("yes"));
        restore->click();
        QCOMPARE(editor.findChild<QLineEdit*>(QStringLiteral("edtTitulo"))->text(), layout.title);
        QCOMPARE(editor.editedLayout().query, layout.query);

        // The standard itself has nothing to be restored to.
        ReportEditorDialog standard(layout, QStringLiteral(KAV_SOURCE_DIR "/reports/Zve41301.QR2"));
        QVERIFY(!standard.findChild<QPushButton*>(QStringLiteral("btnRestaurarPadrao"))->isEnabled());
    }
};

QTEST_MAIN(TstReportEditor)
#include "tst_reporteditor.moc"
