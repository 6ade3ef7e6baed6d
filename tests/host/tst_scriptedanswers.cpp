// The scripted dialog service reads each answer given beforehand into its question's typed
// answer: the good ones, and the ones that do not fit, refused in Portuguese.
#include "KavException.h"
#include "ScriptedDialogService.h"

#include <QPrinter>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Rows: 001 Arroz, 002 Feijão, 003 Batata, 010 Beterraba; the key of the last is padded as a
// fixed-width column sends it. A hidden field OCULTO reads a1..a4.
Kav::ListRows fourRows()
{
    Kav::ListRows rows;
    rows.columns = {{"CODIGO", "Código"}, {"NOME", "Nome"}};
    rows.cells = {{"001", "Arroz"}, {"002", "Feijão"}, {"003", "Batata"}, {"010", "Beterraba"}};
    rows.recNos = {1, 2, 3, 4};
    rows.keys = {"001", "002", "003", "010  "};
    return rows;
}

std::optional<int> rowWhere(const QString& field, const QString& value)
{
    const QStringList codes = {"001", "002", "003", "010"};
    const QStringList hidden = {"a1", "a2", "a3", "a4"};
    const QStringList& column = field == QLatin1String("OCULTO") ? hidden : codes;
    const qsizetype row = column.indexOf(value);
    return row < 0 ? std::nullopt : std::optional<int>(int(row));
}

QString describe(const QMarginsF& margins)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(margins.left())
        .arg(margins.top())
        .arg(margins.right())
        .arg(margins.bottom());
}

// Asks the question of `kind` and describes its typed answer in words of its own.
QString ask(Kav::ScriptedDialogService& dialogs, const QString& kind)
{
    const QString cancelled = QStringLiteral("cancelled");
    if (kind == QLatin1String("row")) {
        const auto row = dialogs.chooseRow({nullptr, "Tipo de Cardápio", fourRows(), rowWhere});
        return row ? QStringLiteral("row %1").arg(*row) : cancelled;
    }
    if (kind == QLatin1String("keys")) {
        const auto keys = dialogs.chooseKeys({nullptr, "Serviço", fourRows(), {}, {}});
        return keys ? QStringLiteral("keys ") + keys->join(QLatin1Char('|')) : cancelled;
    }
    if (kind == QLatin1String("page")) {
        const auto page = dialogs.choosePage({"Configurar página", {"A4", "A3", "Letter", "Legal"}, 50, {}});
        return page ? QStringLiteral("%1 %2 %3")
                          .arg(page->paper,
                               page->orientation == QPageLayout::Landscape ? QStringLiteral("landscape")
                                                                           : QStringLiteral("portrait"),
                               describe(page->marginsMm))
                    : cancelled;
    }
    if (kind == QLatin1String("confirm"))
        return dialogs.askQuestion("Apagar a cópia do relatório?") ? QStringLiteral("yes")
                                                                   : QStringLiteral("no");
    if (kind == QLatin1String("edit")) {
        bool triedOut = false;
        const bool kept = dialogs.edit({"Editar relatório", [] { return true; }, [&] { triedOut = true; }});
        return QStringLiteral("%1%2").arg(triedOut ? "tried out, " : "", kept ? "kept" : "dropped");
    }
    if (kind == QLatin1String("text")) {
        const auto text = dialogs.askText(nullptr, "Título do relatório", "Título:");
        return text ? QStringLiteral("text ") + *text : cancelled;
    }
    if (kind == QLatin1String("printer")) {
        QPrinter printer;
        if (!dialogs.choosePrinter(printer, nullptr, "Imprimir"))
            return cancelled;
        return QStringLiteral("pdf %1").arg(printer.outputFileName());
    }
    return QStringLiteral("no question %1").arg(kind);
}

Kav::DialogKind kindOf(const QString& question)
{
    if (question == QLatin1String("row"))
        return Kav::DialogKind::Lookup;
    if (question == QLatin1String("keys"))
        return Kav::DialogKind::List;
    if (question == QLatin1String("printer"))
        return Kav::DialogKind::File;
    return Kav::DialogKind::Question;
}

} // namespace

class TstScriptedAnswers : public QObject
{
    Q_OBJECT
private slots:
    void answerIsReadIntoItsQuestionsType_data()
    {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("outcome"); // the typed answer described, or the message refusing it

        QTest::addRow("row: first") << "row"
                                    << "1"
                                    << "row 0";
        QTest::addRow("row: last") << "row"
                                   << "4"
                                   << "row 3";
        QTest::addRow("row: by code") << "row"
                                      << "CODIGO=010"
                                      << "row 3";
        QTest::addRow("row: by hidden field") << "row"
                                              << "OCULTO=a2"
                                              << "row 1";
        QTest::addRow("row: cancel") << "row"
                                     << "cancel"
                                     << "cancelled";
        QTest::addRow("row: zero") << "row"
                                   << "0"
                                   << "A pesquisa \"Tipo de Cardápio\" não tem a linha 0 (tem 4).";
        QTest::addRow("row: past the end") << "row"
                                           << "5"
                                           << "A pesquisa \"Tipo de Cardápio\" não tem a linha 5 (tem 4).";
        QTest::addRow("row: a word") << "row"
                                     << "Arroz"
                                     << "A pesquisa \"Tipo de Cardápio\" não tem a linha Arroz (tem 4).";
        QTest::addRow("row: no such value") << "row"
                                            << "CODIGO=999"
                                            << "A pesquisa \"Tipo de Cardápio\" não tem a linha CODIGO=999.";

        QTest::addRow("keys: in the rows' order") << "keys"
                                                  << "003 001"
                                                  << "keys 001|003";
        QTest::addRow("keys: padded key") << "keys"
                                          << "010 002"
                                          << "keys 002|010  ";
        QTest::addRow("keys: all four") << "keys"
                                        << "010 003 002 001"
                                        << "keys 001|002|003|010  ";
        QTest::addRow("keys: none") << "keys"
                                    << "none"
                                    << "keys ";
        QTest::addRow("keys: cancel") << "keys"
                                      << "cancel"
                                      << "cancelled";
        QTest::addRow("keys: unknown") << "keys"
                                       << "001 999"
                                       << "A lista \"Serviço\" não tem o código 999.";
        QTest::addRow("keys: first unknown named") << "keys"
                                                   << "998 999"
                                                   << "A lista \"Serviço\" não tem o código 998.";

        QTest::addRow("page: landscape") << "page"
                                         << "A4 landscape 10 12 10.5 12"
                                         << "A4 landscape 10 12 10.5 12";
        QTest::addRow("page: paper named in lower case") << "page"
                                                         << "letter portrait 0 0 50 50"
                                                         << "Letter portrait 0 0 50 50";
        QTest::addRow("page: extra blanks") << "page"
                                            << "  A3   portrait 5 5 5 5 "
                                            << "A3 portrait 5 5 5 5";
        QTest::addRow("page: cancel") << "page"
                                      << "cancel"
                                      << "cancelled";
        QTest::addRow("page: unknown orientation")
            << "page"
            << "A4 sideways 1 1 1 1"
            << "Configuração de página inválida: 'A4 sideways 1 1 1 1'";
        QTest::addRow("page: unknown paper") << "page"
                                             << "A5 portrait 1 1 1 1"
                                             << "Configuração de página inválida: 'A5 portrait 1 1 1 1'";
        QTest::addRow("page: a margin missing") << "page"
                                                << "A4 portrait 1 1 1"
                                                << "Configuração de página inválida: 'A4 portrait 1 1 1'";
        QTest::addRow("page: margin too wide") << "page"
                                               << "A4 portrait 1 1 1 50.1"
                                               << "Configuração de página inválida: 'A4 portrait 1 1 1 50.1'";
        QTest::addRow("page: negative margin") << "page"
                                               << "A4 portrait -1 1 1 1"
                                               << "Configuração de página inválida: 'A4 portrait -1 1 1 1'";

        QTest::addRow("confirm: yes") << "confirm"
                                      << "yes"
                                      << "yes";
        QTest::addRow("confirm: no") << "confirm"
                                     << "no"
                                     << "no";
        QTest::addRow("confirm: cancel") << "confirm"
                                         << "cancel"
                                         << "no";
        QTest::addRow("confirm: other word")
            << "confirm"
            << "sim"
            << "A pergunta \"Apagar a cópia do relatório?\" se responde com yes ou no, não com 'sim'.";

        QTest::addRow("edit: save") << "edit"
                                    << "save"
                                    << "kept";
        QTest::addRow("edit: preview") << "edit"
                                       << "preview"
                                       << "tried out, dropped";
        QTest::addRow("edit: cancel") << "edit"
                                      << "cancel"
                                      << "dropped";
        QTest::addRow("edit: other word")
            << "edit"
            << "salvar"
            << "A janela \"Editar relatório\" se responde com save, preview ou cancel, não com 'salvar'.";

        QTest::addRow("text: words") << "text"
                                     << "Cardápio especial"
                                     << "text Cardápio especial";
        QTest::addRow("text: cancel") << "text"
                                      << "cancel"
                                      << "cancelled";

        QTest::addRow("printer: a file") << "printer"
                                         << "/tmp/relatorio.pdf"
                                         << "pdf /tmp/relatorio.pdf";
        QTest::addRow("printer: cancel") << "printer"
                                         << "cancel"
                                         << "cancelled";
    }
    void answerIsReadIntoItsQuestionsType()
    {
        QFETCH(QString, question);
        QFETCH(QString, answer);
        QFETCH(QString, outcome);
        Kav::ScriptedDialogService dialogs;
        dialogs.queueAnswer(kindOf(question), answer);
        QString found;
        try {
            found = ask(dialogs, question);
        } catch (const Kav::Exception& refused) {
            found = refused.message();
        }
        QCOMPARE(found, outcome);
        QVERIFY(dialogs.pendingAnswers().isEmpty());
    }

    // With nothing queued, each question is reported unanswered and taken as cancelled.
    void unansweredQuestionIsCancelled_data()
    {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("outcome");
        for (const char* question : {"row", "keys", "page", "text", "printer"})
            QTest::addRow("%s", question) << question << "cancelled";
        QTest::addRow("confirm") << "confirm"
                                 << "no";
        QTest::addRow("edit") << "edit"
                              << "dropped";
    }
    void unansweredQuestionIsCancelled()
    {
        QFETCH(QString, question);
        QFETCH(QString, outcome);
        Kav::ScriptedDialogService dialogs;
        QSignalSpy unanswered(&dialogs, &Kav::ScriptedDialogService::dialogUnanswered);
        QCOMPARE(ask(dialogs, question), outcome);
        QCOMPARE(unanswered.count(), 1);
        QCOMPARE(unanswered.first().at(0).value<Kav::DialogKind>(), kindOf(question));
    }
};

QTEST_MAIN(TstScriptedAnswers)
#include "tst_scriptedanswers.moc"
