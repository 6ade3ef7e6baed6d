#pragma once
// The dialog service of a host script or a test: nothing blocks and nothing waits for a
// person. Messages are recorded and announced, not shown in a box; dialogs take the answers
// queued beforehand, each kind in queue order, and a dialog with none queued counts as
// unanswered (reported through dialogUnanswered) and is answered "cancel". The words of each
// answer are read into its question's typed answer here alone (ScriptedAnswers).
//
// Kinds: a lookup's row (Lookup), a multi-selection list's keys (List), a file to save or open
// and a print-to-file (File), the preview's steps (Preview); confirmations, page setup, the
// report editor and typed text are all Question.

#include "DialogService.h"

#include <QList>
#include <QPair>

namespace Kav {

class ScriptedDialogService : public DialogService
{
    Q_OBJECT
public:
    // The answer for the next dialog of `kind`.
    void queueAnswer(DialogKind kind, const QString& answer);
    // Unused answers, as "kind answer" texts.
    QStringList pendingAnswers() const;
    void clearAnswers();

    // The next answer queued for `kind`, "cancel" (reported as unanswered) when there is none.
    QString takeAnswer(DialogKind kind, const QString& title);

    std::optional<int> chooseRow(const RowQuestion& question) override;
    std::optional<QStringList> chooseKeys(const KeysQuestion& question) override;
    std::optional<PageChoice> choosePage(const PageQuestion& question) override;
    bool edit(const EditQuestion& question) override;
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt) override;
    // An answer given beforehand prints to a PDF file.
    bool choosePrinter(QPrinter& printer, QWidget* parent, const QString& title) override;
    std::optional<QString> runWindow(QDialog& window, DialogKind kind,
                                     const std::function<bool()>& complete) override;
    void refuseAnswer(const QString& reason) override;
    // A script never cancels and sees no progress window.
    Progress progress(QWidget* parent, const QString& title) override;

signals:
    void dialogUnanswered(Kav::DialogKind kind, const QString& title);

protected:
    void present(MessageKind kind, const QString& text) override;
    bool answerQuestion(const QString& text) override;
    QString chooseFile(FilePurpose purpose, QWidget* parent, const QString& caption, const QString& dir,
                       const QString& filter) override;

private:
    QList<QPair<DialogKind, QString>> m_answers;
};

} // namespace Kav
