#include "ScriptedDialogService.h"

#include "KavException.h"
#include "ScriptedAnswers.h"

#include <QDialog>
#include <QPrinter>

namespace Kav {

void ScriptedDialogService::queueAnswer(DialogKind kind, const QString& answer)
{
    m_answers.append({kind, answer});
}

QStringList ScriptedDialogService::pendingAnswers() const
{
    QStringList pending;
    for (const auto& [kind, answer] : m_answers)
        pending.append(dialogKindName(kind) + QLatin1Char(' ') + answer);
    return pending;
}

void ScriptedDialogService::clearAnswers()
{
    m_answers.clear();
}

QString ScriptedDialogService::takeAnswer(DialogKind kind, const QString& title)
{
    for (qsizetype i = 0; i < m_answers.size(); ++i) {
        if (m_answers[i].first == kind)
            return m_answers.takeAt(i).second;
    }
    emit dialogUnanswered(kind, title);
    return ScriptedAnswers::kCancel;
}

std::optional<int> ScriptedDialogService::chooseRow(const RowQuestion& question)
{
    return ScriptedAnswers::row(takeAnswer(DialogKind::Lookup, question.title), question);
}

std::optional<QStringList> ScriptedDialogService::chooseKeys(const KeysQuestion& question)
{
    return ScriptedAnswers::keys(takeAnswer(DialogKind::List, question.title), question);
}

std::optional<PageChoice> ScriptedDialogService::choosePage(const PageQuestion& question)
{
    return ScriptedAnswers::page(takeAnswer(DialogKind::Question, question.title), question);
}

bool ScriptedDialogService::edit(const EditQuestion& question)
{
    switch (ScriptedAnswers::edit(takeAnswer(DialogKind::Question, question.title), question)) {
    case ScriptedAnswers::EditAnswer::Save:
        return true;
    case ScriptedAnswers::EditAnswer::TryOut:
        question.tryOut();
        return false;
    case ScriptedAnswers::EditAnswer::Cancel:
        return false;
    }
    return false;
}

std::optional<QString> ScriptedDialogService::askText(QWidget*, const QString& title, const QString&)
{
    return ScriptedAnswers::text(takeAnswer(DialogKind::Question, title));
}

bool ScriptedDialogService::choosePrinter(QPrinter& printer, QWidget*, const QString& title)
{
    const std::optional<QString> file = ScriptedAnswers::text(takeAnswer(DialogKind::File, title));
    if (!file || file->isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*file);
    return true;
}

// The answer is played on every page, as on a finished report, in the window as a person would
// see it.
std::optional<QString> ScriptedDialogService::runWindow(QDialog& window, DialogKind kind,
                                                        const std::function<bool()>& complete)
{
    if (!complete())
        return std::nullopt;
    window.show();
    window.grab(); // paints the first page
    return takeAnswer(kind, window.windowTitle());
}

void ScriptedDialogService::refuseAnswer(const QString& reason)
{
    throw Exception(reason);
}

DialogService::Progress ScriptedDialogService::progress(QWidget*, const QString&)
{
    return [](const QString&, int, int) { return true; };
}

void ScriptedDialogService::present(MessageKind, const QString&) {}

bool ScriptedDialogService::answerQuestion(const QString& text)
{
    return ScriptedAnswers::confirmed(takeAnswer(DialogKind::Question, text), text);
}

QString ScriptedDialogService::chooseFile(FilePurpose, QWidget*, const QString& caption, const QString&,
                                          const QString&)
{
    return ScriptedAnswers::text(takeAnswer(DialogKind::File, caption)).value_or(QString());
}

} // namespace Kav
