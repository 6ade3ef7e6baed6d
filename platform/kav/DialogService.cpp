#include "DialogService.h"

#include "CallWaitPanel.h"
#include "ContentBlindFileDialog.h"

#include <QApplication>
#include <QMessageBox>

#include "Events.h"

namespace Kav {

namespace {
const QString kCancel = QStringLiteral("cancel");

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}
} // namespace

QString dialogKindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Lookup:
        return QStringLiteral("lookup");
    case DialogKind::List:
        return QStringLiteral("list");
    case DialogKind::File:
        return QStringLiteral("file");
    case DialogKind::Preview:
        return QStringLiteral("preview");
    case DialogKind::Question:
        return QStringLiteral("question");
    }
    return {};
}

DialogService& DialogService::instance()
{
    static DialogService* service = [] {
        auto* created = new DialogService;
        // Errors that end a command are shown as this service's error messages.
        setErrorDisplay([created](const QString& message) { created->showError(message); });
        // Waits on the application server show their panel, with "Cancelar".
        setCallWaitPresenter(&CallWaitPanel::present);
        return created;
    }();
    return *service;
}

void DialogService::setAutomated(bool automated)
{
    m_automated = automated;
}

void DialogService::record(const QString& text)
{
    m_messages.append(text);
    emit messageShown(text);
}

void DialogService::showError(const QString& text)
{
    record(text);
    if (!m_automated)
        QMessageBox::critical(dialogParent(), QApplication::applicationDisplayName(), text);
}

void DialogService::showInformation(const QString& text)
{
    record(text);
    if (!m_automated)
        QMessageBox::information(dialogParent(), QApplication::applicationDisplayName(), text);
}

bool DialogService::askQuestion(const QString& text)
{
    record(text);
    if (const auto answer = takeAnswer(DialogKind::Question, text))
        return *answer == QLatin1String("yes");
    return QMessageBox::question(dialogParent(), QApplication::applicationDisplayName(), text) ==
           QMessageBox::Yes;
}

void DialogService::queueAnswer(DialogKind kind, const QString& answer)
{
    m_answers.append({kind, answer});
}

QStringList DialogService::pendingAnswers() const
{
    QStringList pending;
    for (const auto& [kind, answer] : m_answers)
        pending.append(dialogKindName(kind) + QLatin1Char(' ') + answer);
    return pending;
}

void DialogService::clearAnswers()
{
    m_answers.clear();
}

std::optional<QString> DialogService::takeAnswer(DialogKind kind, const QString& title)
{
    if (!m_automated)
        return std::nullopt;
    for (qsizetype i = 0; i < m_answers.size(); ++i) {
        if (m_answers[i].first == kind)
            return m_answers.takeAt(i).second;
    }
    emit dialogUnanswered(kind, title);
    return kCancel;
}

QString DialogService::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    m_lastOffered = dir;
    if (const auto answer = takeAnswer(DialogKind::File, caption))
        return *answer == kCancel ? QString() : *answer;
    return ContentBlindFileDialog::choose(ContentBlindFileDialog::Purpose::Save, parent, caption, dir,
                                          filter);
}

QString DialogService::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    if (const auto answer = takeAnswer(DialogKind::File, caption))
        return *answer == kCancel ? QString() : *answer;
    return ContentBlindFileDialog::choose(ContentBlindFileDialog::Purpose::Open, parent, caption, dir,
                                          filter);
}

} // namespace Kav
