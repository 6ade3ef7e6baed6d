#include "ScriptedDialogService.h"

#include "KavException.h"

#include <QDialog>

namespace Kav {

namespace {
const QString kCancel = QStringLiteral("cancel");
const QString kYes = QStringLiteral("yes");
} // namespace

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

std::optional<QString> ScriptedDialogService::takeAnswer(DialogKind kind, const QString& title)
{
    for (qsizetype i = 0; i < m_answers.size(); ++i) {
        if (m_answers[i].first == kind)
            return m_answers.takeAt(i).second;
    }
    emit dialogUnanswered(kind, title);
    return kCancel;
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
    return takeAnswer(DialogKind::Question, text) == kYes;
}

QString ScriptedDialogService::chooseFile(FilePurpose, QWidget*, const QString& caption, const QString&,
                                          const QString&)
{
    const QString answer = takeAnswer(DialogKind::File, caption).value_or(kCancel);
    return answer == kCancel ? QString() : answer;
}

} // namespace Kav
