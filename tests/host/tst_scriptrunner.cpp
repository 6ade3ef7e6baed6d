#include "Colors.h"
#include "KavException.h"
#include "ScriptHost.h"
#include "ScriptRunner.h"
#include "TestClientContext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>
#include <QVBoxLayout>

using namespace Kav::Host;

namespace {

// A lookup of three menu type codes: the code picked, "?" when cancelled.
QString lookUpCode(Kav::DialogService& dialogs)
{
    Kav::RowQuestion question;
    question.title = QStringLiteral("Pesquisa");
    question.rows.columns = {Kav::ListColumn{QStringLiteral("CDTIPOCARD"), QStringLiteral("Código")}};
    question.rows.cells = {{QStringLiteral("5")}, {QStringLiteral("6")}, {QStringLiteral("7")}};
    question.rowWhere = [&rows = question.rows](const QString&, const QString& value) -> std::optional<int> {
        const qsizetype row = rows.cells.indexOf(QStringList{value});
        return row < 0 ? std::nullopt : std::optional<int>(int(row));
    };
    const std::optional<int> row = dialogs.chooseRow(question);
    return row ? question.rows.cells.at(*row).first() : QStringLiteral("?");
}

// A small form with one control of each kind scripts work, whose handlers leave visible traces
// in the label lblEco.
class TestForm : public QWidget
{
public:
    TestForm()
    {
        setObjectName(QStringLiteral("frmTeste"));
        auto* layout = new QVBoxLayout(this);
        auto add = [this, layout](auto* widget, const char* name) {
            widget->setObjectName(QLatin1String(name));
            layout->addWidget(widget);
            return widget;
        };
        auto* echo = add(new QLabel, "lblEco");
        auto* nome = add(new QLineEdit, "edtNome");
        auto* codigo = add(new QLineEdit, "medCodigo");
        codigo->setInputMask(QStringLiteral(">nnnn;_"));
        Kav::setColor(codigo, QStringLiteral("clInfoBk"));
        auto* bloqueado = add(new QLineEdit, "edtBloqueado");
        bloqueado->setEnabled(false);
        add(new QCheckBox(QStringLiteral("Específico do cardápio da filial")), "chbEspecifico");
        add(new QRadioButton(QStringLiteral("Todos os serviços do cardápio")), "rbtTodos");
        auto* aviso = add(new QPushButton(QStringLiteral("Aviso")), "btnAviso");
        auto* pergunta = add(new QPushButton(QStringLiteral("Pergunta")), "btnPergunta");
        auto* pesquisa = add(new QPushButton(QStringLiteral("Pesquisa")), "btnPesquisa");
        pesquisa->setFocusPolicy(Qt::NoFocus);
        auto* desligado = add(new QPushButton(QStringLiteral("Desligado")), "btnDesligado");
        desligado->setEnabled(false);
        auto* opcoes = add(new QComboBox, "cbbOpcoes");
        opcoes->addItems({QStringLiteral("Modelo 04"), QStringLiteral("Modelo 05")});

        auto* menu = new QMenu(this);
        menu->setObjectName(QStringLiteral("ppmSalvar"));
        QAction* salvar = menu->addAction(QStringLiteral("Salvar como texto"));
        salvar->setObjectName(QStringLiteral("mnuSalvarTexto"));
        auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+P")), this);

        auto& dialogs = Kav::dialogs();
        connect(aviso, &QPushButton::clicked, this,
                [&dialogs, nome] { dialogs.showError(QStringLiteral("Aviso: ") + nome->text()); });
        connect(pergunta, &QPushButton::clicked, this, [&dialogs, echo] {
            echo->setText(dialogs.askQuestion(QStringLiteral("Continuar?")) ? QStringLiteral("sim")
                                                                            : QStringLiteral("não"));
        });
        connect(pesquisa, &QPushButton::clicked, this,
                [&dialogs, nome] { nome->setText(lookUpCode(dialogs)); });
        connect(opcoes, &QComboBox::activated, this, [echo, opcoes](int index) {
            echo->setText(QStringLiteral("%1:%2").arg(index).arg(opcoes->itemText(index)));
        });
        connect(salvar, &QAction::triggered, this, [echo] { echo->setText(QStringLiteral("texto")); });
        connect(shortcut, &QShortcut::activated, this,
                [echo] { echo->setText(QStringLiteral("visualizar")); });
        // The leave of edtNome, as a form binds it: only when another control of the form
        // takes the focus.
        connect(qApp, &QApplication::focusChanged, this, [this, echo, nome](QWidget* old, QWidget* now) {
            if (old == nome && now && isAncestorOf(now))
                echo->setText(QStringLiteral("saiu de edtNome"));
        });
    }
};

class FakeHost : public ScriptHost
{
public:
    FakeHost()
    {
        window.setCentralWidget(area);
        window.resize(800, 700);
        window.show();
        window.activateWindow();
    }
    void openPackage(const QString& package) override
    {
        if (package != QLatin1String("PkgTeste"))
            throw Kav::Exception(QStringLiteral("Cannot load library %1").arg(package));
        QMdiSubWindow* sub = area->addSubWindow(new TestForm);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
        area->setActiveSubWindow(sub);
    }
    QWidget* activeForm() const override
    {
        QMdiSubWindow* sub = area->currentSubWindow();
        return sub ? sub->widget() : nullptr;
    }
    QList<QWidget*> openForms() const override
    {
        QList<QWidget*> forms;
        for (QMdiSubWindow* sub : area->subWindowList())
            forms.append(sub->widget());
        return forms;
    }
    void closeActiveForm() override
    {
        if (QMdiSubWindow* sub = area->currentSubWindow())
            sub->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QMainWindow window;
    QMdiArea* area = new QMdiArea;
};

} // namespace

class ScriptRunnerTest : public QObject
{
    Q_OBJECT
private:
    QString m_log;

    ScriptResult runScript(const QString& text, const QDir& dir = QDir::current())
    {
        TestClientContext context;
        FakeHost host;
        if (!QTest::qWaitForWindowActive(&host.window))
            qWarning("the test window did not become active");
        m_log.clear();
        QTextStream log(&m_log);
        ScriptRunner runner(host, context.dialogs(), log);
        const auto parsed = ScriptParser::parse(text);
        if (parsed.error)
            qFatal("test script does not parse: line %d: %s", parsed.error->line,
                   qPrintable(parsed.error->message));
        return runner.run(parsed.commands, dir);
    }

private slots:
    void scriptOutcome_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("failingLine"); // 0: the script passes
        QTest::addColumn<QString>("foundContains");

        QTest::addRow("typing replaces the text") << "open PkgTeste\n"
                                                     "type edtNome abc\n"
                                                     "type edtNome \"x y\"\n"
                                                     "expect text edtNome \"x y\""
                                                  << 0 << "";
        QTest::addRow("masks apply while typing") << "open PkgTeste\n"
                                                     "type medCodigo ab1x9\n"
                                                     "expect text medCodigo AB1X\n"
                                                     "type medCodigo z\n"
                                                     "expect text medCodigo Z"
                                                  << 0 << "";
        QTest::addRow("clear empties") << "open PkgTeste\n"
                                          "type edtNome abc\n"
                                          "clear edtNome\n"
                                          "expect text edtNome \"\""
                                       << 0 << "";
        QTest::addRow("text mismatch shows what is there") << "open PkgTeste\n"
                                                              "type edtNome abc\n"
                                                              "expect text edtNome abd"
                                                           << 3 << "\"abc\"";
        QTest::addRow("messages are expected oldest first") << "open PkgTeste\n"
                                                               "type edtNome um\n"
                                                               "click btnAviso\n"
                                                               "type edtNome dois\n"
                                                               "click btnAviso\n"
                                                               "expect message \"Aviso: um\"\n"
                                                               "expect message \"Aviso: dois\"\n"
                                                               "expect messages none"
                                                            << 0 << "";
        QTest::addRow("wrong message") << "open PkgTeste\n"
                                          "click btnAviso\n"
                                          "expect message \"Outro\""
                                       << 3 << "\"Aviso: \"";
        QTest::addRow("message expected but none shown") << "open PkgTeste\n"
                                                            "expect message \"Aviso: \""
                                                         << 2 << "no message";
        QTest::addRow("message left waiting") << "open PkgTeste\n"
                                                 "click btnAviso\n"
                                                 "expect messages none"
                                              << 3 << "Aviso";
        QTest::addRow("question answered") << "open PkgTeste\n"
                                              "answer question no\n"
                                              "click btnPergunta\n"
                                              "expect message Continuar?\n"
                                              "expect text lblEco não"
                                           << 0 << "";
        QTest::addRow("dialog without an answer fails its line") << "open PkgTeste\n"
                                                                    "wait 0\n"
                                                                    "click btnPergunta\n"
                                                                    "expect text lblEco sim"
                                                                 << 3 << "none queued";
        QTest::addRow("unused answer fails its own line") << "open PkgTeste\n"
                                                             "answer lookup 2\n"
                                                             "answer question yes\n"
                                                             "click btnPergunta\n"
                                                             "expect text lblEco sim"
                                                          << 2 << "never asked";
        QTest::addRow("answers of a kind are used in order") << "open PkgTeste\n"
                                                                "answer lookup 2\n"
                                                                "answer lookup CDTIPOCARD=7\n"
                                                                "click btnPesquisa\n"
                                                                "expect text edtNome 6\n"
                                                                "click btnPesquisa\n"
                                                                "expect text edtNome 7"
                                                             << 0 << "";
        QTest::addRow("check box and radio clicks") << "open PkgTeste\n"
                                                       "click chbEspecifico\n"
                                                       "expect checked chbEspecifico yes\n"
                                                       "click chbEspecifico\n"
                                                       "expect checked chbEspecifico no\n"
                                                       "click rbtTodos\n"
                                                       "expect checked rbtTodos yes\n"
                                                       "expect focus rbtTodos"
                                                    << 0 << "";
        QTest::addRow("disabled button cannot be clicked") << "open PkgTeste\n"
                                                              "expect enabled btnDesligado no\n"
                                                              "click btnDesligado"
                                                           << 3 << "disabled";
        QTest::addRow("disabled edit cannot be typed in") << "open PkgTeste\n"
                                                             "type edtBloqueado x"
                                                          << 2 << "disabled";
        QTest::addRow("button without focus cannot be focused") << "open PkgTeste\n"
                                                                   "focus btnPesquisa"
                                                                << 2 << "no focus";
        QTest::addRow("menu item click triggers it") << "open PkgTeste\n"
                                                        "click mnuSalvarTexto\n"
                                                        "expect text lblEco texto"
                                                     << 0 << "";
        QTest::addRow("select by text and by position") << "open PkgTeste\n"
                                                           "select cbbOpcoes \"Modelo 05\"\n"
                                                           "expect text lblEco \"1:Modelo 05\"\n"
                                                           "select cbbOpcoes #1\n"
                                                           "expect text cbbOpcoes \"Modelo 04\"\n"
                                                           "expect text lblEco \"0:Modelo 04\""
                                                        << 0 << "";
        QTest::addRow("select a missing item") << "open PkgTeste\n"
                                                  "select cbbOpcoes #3"
                                               << 2 << "Modelo 05";
        QTest::addRow("Tab moves to the next control") << "open PkgTeste\n"
                                                          "focus edtNome\n"
                                                          "key Tab\n"
                                                          "expect focus medCodigo\n"
                                                          "key Shift+Tab\n"
                                                          "expect focus edtNome"
                                                       << 0 << "";
        QTest::addRow("shortcut keys reach the form") << "open PkgTeste\n"
                                                         "focus edtNome\n"
                                                         "key Ctrl+P\n"
                                                         "expect text lblEco visualizar"
                                                      << 0 << "";
        QTest::addRow("focus fires the leave of the previous control")
            << "open PkgTeste\n"
               "focus edtNome\n"
               "expect text lblEco \"\"\n"
               "focus medCodigo\n"
               "expect text lblEco \"saiu de edtNome\""
            << 0 << "";
        QTest::addRow("click moves the focus and fires the leave first")
            << "open PkgTeste\n"
               "focus edtNome\n"
               "click chbEspecifico\n"
               "expect focus chbEspecifico\n"
               "expect text lblEco \"saiu de edtNome\""
            << 0 << "";
        QTest::addRow("click on a control that takes no focus leaves it in place")
            << "open PkgTeste\n"
               "focus edtNome\n"
               "answer lookup 3\n"
               "click btnPesquisa\n"
               "expect text edtNome 7\n"
               "expect focus edtNome\n"
               "expect text lblEco \"\""
            << 0 << "";
        QTest::addRow("accented text is typed as written") << "open PkgTeste\n"
                                                              "type edtNome \"Feijão à moda\"\n"
                                                              "expect text edtNome \"Feijão à moda\""
                                                           << 0 << "";
        QTest::addRow("editing keys reach the focused control") << "open PkgTeste\n"
                                                                   "type edtNome abc\n"
                                                                   "key Backspace\n"
                                                                   "key Home\n"
                                                                   "key Delete\n"
                                                                   "expect text edtNome b"
                                                                << 0 << "";
        QTest::addRow("wrong focus names the focused control") << "open PkgTeste\n"
                                                                  "focus medCodigo\n"
                                                                  "expect focus edtNome"
                                                               << 3 << "medCodigo";
        QTest::addRow("colours by name") << "open PkgTeste\n"
                                            "expect color medCodigo clInfoBk\n"
                                            "expect color edtNome clInfoBk"
                                         << 3 << "clWindow";
        QTest::addRow("form open and closed") << "open PkgTeste\n"
                                                 "expect form frmTeste open\n"
                                                 "close\n"
                                                 "expect form frmTeste closed\n"
                                                 "expect form frmTeste open"
                                              << 5 << "not open";
        QTest::addRow("closing with no form open") << "close" << 1 << "no form open";
        QTest::addRow("missing package names the loader's reason")
            << "open PkgAusente" << 1 << "Cannot load library PkgAusente";
        QTest::addRow("unknown control") << "open PkgTeste\n"
                                            "click sbtNada"
                                         << 2 << "no such control";
        QTest::addRow("control with no form") << "expect text edtNome x" << 1 << "no form open";
    }
    void scriptOutcome()
    {
        QFETCH(QString, script);
        QFETCH(int, failingLine);
        QFETCH(QString, foundContains);
        const ScriptResult result = runScript(script);
        QVERIFY2(result.ok == (failingLine == 0), qPrintable(result.describe() + "\n" + m_log));
        QCOMPARE(result.line, failingLine);
        QVERIFY2(result.found.contains(foundContains), qPrintable(result.found));
    }

    void messagesArePrintedAsTheyAppear()
    {
        const ScriptResult result =
            runScript("open PkgTeste\ntype edtNome x\nclick btnAviso\nexpect message \"Aviso: x\"");
        QVERIFY(result.ok);
        const qsizetype click = m_log.indexOf("click btnAviso");
        const qsizetype message = m_log.indexOf("message: Aviso: x");
        const qsizetype expectation = m_log.indexOf("expect message");
        QVERIFY2(click >= 0 && message > click && expectation > message, qPrintable(m_log));
    }

    void filesAreFoundFromTheScriptFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("saida"));
        QFile written(dir.filePath("saida/relatorio.pdf"));
        QVERIFY(written.open(QIODevice::WriteOnly));
        written.write("%PDF");
        written.close();
        QFile(dir.filePath("vazio.txt")).open(QIODevice::WriteOnly);

        QVERIFY(runScript("expect file saida/relatorio.pdf", QDir(dir.path())).ok);
        const ScriptResult empty = runScript("expect file vazio.txt", QDir(dir.path()));
        QCOMPARE(empty.found, QStringLiteral("an empty file"));
        const ScriptResult missing = runScript("expect file saida/outro.pdf", QDir(dir.path()));
        QCOMPARE(missing.found, QStringLiteral("no file"));
    }

    void fileAnswersAreTakenFromTheScriptFolder()
    {
        QTemporaryDir dir;
        const ScriptResult result = runScript("answer file saida/r.pdf", QDir(dir.path()));
        // Unused, so it fails, naming the full path it would have answered.
        QVERIFY(!result.ok);
        QVERIFY2(result.expected.contains(QDir(dir.path()).absoluteFilePath("saida/r.pdf")),
                 qPrintable(result.expected));
    }

    void badScriptFileFailsBeforeRunning()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("ruim.kscript"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("open PkgTeste\n# nada\nexpect message \"sem fim\n");
        file.close();
        TestClientContext context;
        FakeHost host;
        QString log;
        QTextStream stream(&log);
        ScriptRunner runner(host, context.dialogs(), stream);
        const ScriptResult result = runner.runFile(file.fileName());
        QVERIFY(!result.ok);
        QCOMPARE(result.line, 3);
        QVERIFY(host.openForms().isEmpty()); // nothing ran
        QVERIFY2(log.contains("line 3"), qPrintable(log));
    }
};

QTEST_MAIN(ScriptRunnerTest)
#include "tst_scriptrunner.moc"
