// The save dialog as a person meets it: the real dialog is shown, the file type chosen, a name
// typed and Enter pressed, and every message box it raises is read and answered.
#include "GuiDialogService.h"
#include "RecentSaveFolder.h"
#include "SaveFileDialog.h"
#include "SaveFileName.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QString kFilters = QStringLiteral("PDF (*.pdf);;Texto (*.txt);;CSV (*.csv);;HTML (*.html *.htm)");
// How long the hand waits for the dialog to react before giving up on it.
constexpr int kPatienceMs = 1500;
constexpr int kTickMs = 20;

struct Visit
{
    QString startFolder;   // where the dialog opened
    QString offeredName;   // the name field as it opened
    QStringList messages;  // texts of the message boxes, in order
    bool leftOpen = false; // the dialog was still open when the hand gave up and cancelled
};

// A person at the dialog: chooses `type`, types `name`, presses Enter, answers each message box
// with `reply` (or its only button).
class Hand : public QObject
{
public:
    Hand(QString type, QString name, QMessageBox::StandardButton reply)
        : m_type(std::move(type)), m_name(std::move(name)), m_reply(reply)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { step(); });
        m_timer.start(kTickMs);
    }
    const Visit& visit() const { return m_visit; }

private:
    void step()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_visit.messages.append(box->text());
            QAbstractButton* button = box->button(m_reply);
            (button ? button : box->buttons().constFirst())->click();
            m_waited = 0;
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return;
        if (!m_typed) {
            m_visit.startFolder = dialog->directory().absolutePath();
            auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            m_visit.offeredName = field->text();
            // Chosen in the list, as a person does (the dialog follows the choice).
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            const int type = types->findText(m_type);
            types->setCurrentIndex(type);
            emit types->activated(type);
            field->setFocus();
            if (!m_name.isNull())
                field->setText(m_name);
            // Pressed from a timer of its own: the message boxes it opens block this one's loop.
            QTimer::singleShot(0, field, [field] { QTest::keyClick(field, Qt::Key_Return); });
            m_typed = true;
            return;
        }
        m_waited += kTickMs;
        if (m_waited >= kPatienceMs) {
            m_visit.leftOpen = true;
            dialog->reject();
        }
    }

    QString m_type;
    QString m_name;
    QMessageBox::StandardButton m_reply;
    QTimer m_timer;
    Visit m_visit;
    bool m_typed = false;
    int m_waited = 0;
};

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class TstSaveDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Kav"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_savedialog"));
    }

    void init()
    {
        QVERIFY(m_folder.isValid());
        RecentSaveFolder::remember(m_folder.filePath(QStringLiteral("x")));
    }

    void decisionsAsTheUserMeetsThem_data()
    {
        QTest::addColumn<QString>("existing"); // a file already in the folder, or empty
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("reply");
        QTest::addColumn<QString>("saved");   // the name given back, empty when nothing is saved
        QTest::addColumn<QString>("message"); // part of the one message shown, or empty: none

        const QString pdf = QStringLiteral("PDF (*.pdf)");
        const QString text = QStringLiteral("Texto (*.txt)");
        const int no = QMessageBox::No;
        const int yes = QMessageBox::Yes;
        QTest::newRow("short name over a file: asked, kept")
            << "nutr26-marco.pdf" << pdf << "nutr26-marco" << no << ""
            << "nutr26-marco.pdf";
        QTest::newRow("short name over a file: asked, replaced")
            << "nutr26-marco.pdf" << pdf << "nutr26-marco" << yes << "nutr26-marco.pdf"
            << "nutr26-marco.pdf";
        QTest::newRow("text chosen gives .txt") << "" << text << "resumo" << yes << "resumo.txt"
                                                << "";
        QTest::newRow("text chosen over a .txt: asked") << "resumo.txt" << text << "resumo" << no << ""
                                                        << "resumo.txt";
        QTest::newRow("a PDF of the same name is no text")
            << "resumo.pdf" << text << "resumo" << yes << "resumo.txt"
            << "";
        QTest::newRow("suggested name follows the type chosen")
            << "" << text << QString() << yes << "sugerido.txt"
            << "";
        QTest::newRow("ending typed is kept") << "" << pdf << "planilha.CSV" << yes << "planilha.CSV"
                                              << "";
        QTest::newRow("a dot is not an ending") << "" << pdf << "nutr26.marco" << yes << "nutr26.marco.pdf"
                                                << "";
        QTest::newRow("wildcard refused") << "" << pdf << "*" << yes << ""
                                          << "não use * nem ?";
        QTest::newRow("question mark refused") << "" << text << "rel?.txt" << yes << ""
                                               << "não use * nem ?";
        QTest::newRow("blank name refused") << "" << pdf << "   " << yes << ""
                                            << "Informe o nome do arquivo.";
    }

    void decisionsAsTheUserMeetsThem()
    {
        QFETCH(QString, existing);
        QFETCH(QString, type);
        QFETCH(QString, typed);
        QFETCH(int, reply);
        QFETCH(QString, saved);
        QFETCH(QString, message);
        if (!existing.isEmpty())
            writeFile(m_folder.filePath(existing), "anterior");

        Kav::GuiDialogService dialogs;
        Hand hand(type, typed, QMessageBox::StandardButton(reply));
        const QString answer = dialogs.saveFileName(nullptr, QStringLiteral("Salvar como"),
                                                    QStringLiteral("sugerido.pdf"), kFilters);

        QCOMPARE(answer, saved.isEmpty() ? QString() : m_folder.filePath(saved));
        const QStringList shown = hand.visit().messages;
        QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(shown.constFirst().contains(message), qPrintable(shown.constFirst()));
        // Refused or not replaced, the dialog stays open for another name.
        QCOMPARE(hand.visit().leftOpen, saved.isEmpty());
        if (!existing.isEmpty()) {
            QFile file(m_folder.filePath(existing));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("anterior")); // the dialog itself writes nothing
            QVERIFY(file.remove());
        }
    }

    // The dialog opens with the suggested name in the folder last saved in, and the folder of a
    // file saved is the next start.
    void opensInTheLastFolderWithTheSuggestedName()
    {
        QTemporaryDir other;
        Kav::GuiDialogService dialogs;
        {
            Hand hand(QStringLiteral("PDF (*.pdf)"), other.filePath(QStringLiteral("marco")),
                      QMessageBox::Yes);
            const QString answer = dialogs.saveFileName(nullptr, QStringLiteral("Salvar como"),
                                                        QStringLiteral("Nutrientes-03-2025.pdf"), kFilters);
            QCOMPARE(hand.visit().startFolder, m_folder.path());
            QCOMPARE(hand.visit().offeredName, QStringLiteral("Nutrientes-03-2025.pdf"));
            QCOMPARE(answer, other.filePath(QStringLiteral("marco.pdf")));
        }
        Hand hand(QStringLiteral("PDF (*.pdf)"), QStringLiteral("abril"), QMessageBox::Yes);
        const QString answer = dialogs.saveFileName(nullptr, QStringLiteral("Salvar como"),
                                                    QStringLiteral("abril.pdf"), kFilters);
        QCOMPARE(hand.visit().startFolder, other.path());
        QCOMPARE(answer, other.filePath(QStringLiteral("abril.pdf")));
    }

    void settledNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("settled");
        QTest::newRow("no ending, first type") << "/t/a"
                                               << ""
                                               << "/t/a.pdf";
        QTest::newRow("no ending, html chosen") << "/t/a"
                                                << "HTML (*.html *.htm)"
                                                << "/t/a.html";
        QTest::newRow("second ending of a type kept") << "/t/a.htm"
                                                      << "PDF (*.pdf)"
                                                      << "/t/a.htm";
        QTest::newRow("unknown ending") << "/t/a.docx"
                                        << "Texto (*.txt)"
                                        << "/t/a.docx.txt";
        QTest::newRow("hidden-looking name") << "/t/.config"
                                             << "PDF (*.pdf)"
                                             << "/t/.config.pdf";
        QTest::newRow("type without ending keeps the name") << "/t/a"
                                                            << "Todos (*)"
                                                            << "/t/a";
    }

    void settledNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, chosen);
        QFETCH(QString, settled);
        QStringList filters = kFilters.split(QStringLiteral(";;"));
        if (!chosen.isEmpty() && !filters.contains(chosen))
            filters = {chosen};
        QCOMPARE(Kav::SaveFileName::settled(path, filters, chosen), settled);
    }

private:
    using RecentSaveFolder = Kav::RecentSaveFolder;
    QTemporaryDir m_folder;
};

QTEST_MAIN(TstSaveDialog)
#include "tst_savedialog.moc"
