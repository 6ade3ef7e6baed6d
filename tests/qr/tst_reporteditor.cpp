// The layout editor never throws work away unasked: leaving it with changes asks first, and
// leaving it untouched does not. A user's copy can be put back to the standard layout. Saving
// keeps the file's comments.
#include "GuiDialogService.h"
#include "LayoutCommentReader.h"
#include "LayoutReader.h"
#include "LayoutWriter.h"
#include "ReportEditorDialog.h"
#include "TestClientContext.h"
#include "TReportDesignerDialog.h"

#include <optional>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qr;

class TstReportEditor : public QObject
{
    Q_OBJECT

    ReportLayout layout;
    // Each test's own: answers, messages and the session's reports folder.
    std::optional<TestClientContext> context;
    Kav::ScriptedDialogService& dialogs() { return context->dialogs(); }

private slots:
    void initTestCase()
    {
        layout = LayoutReader::readFile(QStringLiteral(KAV_SOURCE_DIR "/reports/Zve41301.QR2"));
    }

    void init() { context.emplace(); }
    void cleanup() { context.reset(); }

    void untouchedEditorClosesWithoutAsking()
    {
        ReportEditorDialog editor(context->context(), layout, QStringLiteral("Zve41301.QR2"));
        editor.show();
        QVERIFY(!editor.hasChanges());
        editor.reject();
        QCOMPARE(editor.result(), int(QDialog::Rejected));
        QVERIFY(dialogs().shownMessages().isEmpty());
    }

    void changesAreDiscardedOnlyWhenTheUserAgrees()
    {
        ReportEditorDialog editor(context->context(), layout, QStringLiteral("Zve41301.QR2"));
        editor.show();
        QTest::keyClicks(editor.findChild<QLineEdit*>(QStringLiteral("edtTitulo")),
                         QStringLiteral(" (copia)"));
        QVERIFY(editor.hasChanges());
        dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("no"));
        editor.reject();
        QVERIFY(editor.isVisible()); // the user kept the changes: still editing
        QCOMPARE(dialogs().shownMessages(),
                 QStringList{QStringLiteral("Descartar as alterações feitas no relatório?")});
        dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("yes"));
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
        copy.page.orientation = QPageLayout::Portrait;
        copy.comments.clear();
        ReportEditorDialog editor(context->context(), copy, userDir.filePath(QStringLiteral("Zve41301.QR2")));
        auto* restore = editor.findChild<QPushButton*>(QStringLiteral("btnRestaurarPadrao"));
        QVERIFY(restore->isEnabled());
        dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("no"));
        restore->click();
        QCOMPARE(editor.findChild<QLineEdit*>(QStringLiteral("edtTitulo"))->text(),
                 QStringLiteral("Minha cópia"));
        dialogs().queueAnswer(Kav::DialogKind::Question, QStringLiteral("yes"));
        restore->click();
        QCOMPARE(editor.findChild<QLineEdit*>(QStringLiteral("edtTitulo"))->text(), layout.title);
        QCOMPARE(editor.editedLayout().query, layout.query);
        // What the editor does not show comes back with the standard too.
        QCOMPARE(editor.editedLayout().page.orientation, layout.page.orientation);
        QCOMPARE(editor.editedLayout().comments, layout.comments);

        // The standard itself has nothing to be restored to.
        ReportEditorDialog standard(context->context(), layout,
                                    QStringLiteral(KAV_SOURCE_DIR "/reports/Zve41301.QR2"));
        QVERIFY(!standard.findChild<QPushButton*>(QStringLiteral("btnRestaurarPadrao"))->isEnabled());
    }

    // Through the report dialog's own editing path: the user's copy keeps every comment of the
    // standard layout at its place, a comment the user writes among the bands, and the change.
    void savedCopyKeepsTheFilesComments()
    {
        const QString standard = QStringLiteral(KAV_SOURCE_DIR "/reports/Zve41301.QR2");
        QFile file(standard);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const LayoutComments shipped = LayoutCommentReader::read(file.readAll());
        QVERIFY(shipped.size() >= 3);
        QTemporaryDir userDir;
        // A person edits: the editor itself shows.
        Kav::ClientContext person(std::make_unique<Kav::GuiDialogService>());
        TReportDesignerDialog dialog(person);
        dialog.setUserReportsDir(userDir.path());
        dialog.LoadFromFile(standard);

        bool editorOpened = false;
        bool untouchedAtStart = false;
        QTimer::singleShot(0, this, [&] {
            auto* editor = qobject_cast<ReportEditorDialog*>(QApplication::activeModalWidget());
            if (!editor)
                return;
            editorOpened = true;
            untouchedAtStart = !editor->hasChanges();
            editor->setTitleText(QStringLiteral("Cardápio comentado"));
            QString bands = editor->bandsText();
            bands.replace(QStringLiteral("<band kind=\"summary\""),
                          QStringLiteral("<!-- resumo do período -->\n<band kind=\"summary\""));
            editor->setBandsText(bands);
            editor->save();
        });
        const bool saved = dialog.Edit();
        QVERIFY(editorOpened);
        QVERIFY(untouchedAtStart);
        QVERIFY(saved);

        QFile copy(userDir.filePath(QStringLiteral("Zve41301.QR2")));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        const QByteArray written = copy.readAll();
        LayoutComments kept = LayoutCommentReader::read(written);
        // The comment added before the summary, wherever the shipped ones stand around it.
        qsizetype at = 0;
        while (at < kept.size() && kept[at].text.trimmed() != QStringLiteral("resumo do período"))
            ++at;
        QVERIFY(at < kept.size());
        const LayoutComment added = kept.takeAt(at);
        QCOMPARE(added.anchor, QStringLiteral("report#0/band[summary]#0"));
        QCOMPARE(kept, shipped);
        const ReportLayout copyLayout = LayoutReader::read(written, copy.fileName());
        QCOMPARE(copyLayout.title, QStringLiteral("Cardápio comentado"));
        QCOMPARE(copyLayout.query, layout.query);
        // The notes list is written once, not once with the head and again with the bands.
        QCOMPARE(copyLayout.lists.size(), layout.lists.size());
    }

    // "Restaurar padrão" then "Salvar": the user's copy goes, so that the standard layout (and
    // its later updates) is what the user gets. A change made after restoring is a new copy.
    void savingTheRestoredStandardRemovesTheUserCopy_data()
    {
        QTest::addColumn<QString>("changeAfterRestoring");
        QTest::addColumn<bool>("copyRemains");
        QTest::addRow("restored, saved as is") << QString() << false;
        QTest::addRow("restored, then retitled") << QStringLiteral("Meu título") << true;
    }

    void savingTheRestoredStandardRemovesTheUserCopy()
    {
        QFETCH(QString, changeAfterRestoring);
        QFETCH(bool, copyRemains);
        QTemporaryDir standardDir;
        QTemporaryDir userDir;
        const QString name = QStringLiteral("Zve41301.QR2");
        QVERIFY(QFile::copy(QStringLiteral(KAV_SOURCE_DIR "/reports/") + name, standardDir.filePath(name)));
        ReportLayout copy = layout;
        copy.title = QStringLiteral("Minha cópia");
        LayoutWriter::writeFile(copy, userDir.filePath(name));

        // A person edits: the editor and its question show.
        Kav::ClientContext person(std::make_unique<Kav::GuiDialogService>());
        Kavenso::Session session = Kavenso::CurrentSession();
        session.reportsDir = standardDir.path();
        Kavenso::SetSession(session);
        TReportDesignerDialog dialog(person);
        dialog.setUserReportsDir(userDir.path());
        dialog.LoadFromFile(userDir.filePath(name));
        bool restored = false;
        QTimer::singleShot(0, this, [&] {
            auto* editor = qobject_cast<ReportEditorDialog*>(QApplication::activeModalWidget());
            if (!editor)
                return;
            QTimer::singleShot(0, this, [] {
                if (auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    question->button(QMessageBox::Yes)->click();
            });
            editor->restoreStandard();
            restored = editor->findChild<QLineEdit*>(QStringLiteral("edtTitulo"))->text() == layout.title;
            if (!changeAfterRestoring.isEmpty())
                editor->setTitleText(changeAfterRestoring);
            editor->save();
        });
        QVERIFY(dialog.Edit());
        QVERIFY(restored);
        QCOMPARE(QFile::exists(userDir.filePath(name)), copyRemains);
        QCOMPARE(dialog.Layout().title, copyRemains ? changeAfterRestoring : layout.title);
        QCOMPARE(QFileInfo(dialog.FileName()).absoluteFilePath(),
                 QFileInfo((copyRemains ? userDir : standardDir).filePath(name)).absoluteFilePath());
    }
};

QTEST_MAIN(TstReportEditor)
#include "tst_reporteditor.moc"
