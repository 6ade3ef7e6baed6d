#pragma once
// The one door through which every message and modal dialog reaches the user. It records the
// messages shown. How a dialog is answered is the implementation's: a person at the screen
// (GuiDialogService) or answers given beforehand by a script or a test (ScriptedDialogService,
// beside the host's script runner), which never block.

#include "DialogQuestions.h"

#include <functional>
#include <optional>
#include <QObject>
#include <QStringList>

class QDialog;
class QPrinter;
class QWidget;

namespace Kav {

// The kinds of dialog an answer given beforehand is queued for.
enum class DialogKind { Lookup, List, File, Preview, Question };

QString dialogKindName(DialogKind kind);

class DialogService : public QObject
{
    Q_OBJECT
public:
    // Messages: recorded, announced, and shown as the implementation shows them.
    void showError(const QString& text);
    void showInformation(const QString& text);
    bool askQuestion(const QString& text);

    // Every message shown since start (or the last clear), oldest first.
    const QStringList& shownMessages() const { return m_messages; }
    void clearMessages() { m_messages.clear(); }

    // Questions asked in types: the caller never learns whether a person or an answer given
    // beforehand replied. An answer given beforehand that does not fit the question ends the
    // command with a message saying so.

    // The row (from 0, into `question.rows`) picked in a lookup list; nullopt when cancelled.
    virtual std::optional<int> chooseRow(const RowQuestion& question) = 0;
    // The keys checked in a multi-selection list, in the rows' order; nullopt when cancelled.
    virtual std::optional<QStringList> chooseKeys(const KeysQuestion& question) = 0;
    // A page's paper, orientation and margins; nullopt when cancelled.
    virtual std::optional<PageChoice> choosePage(const PageQuestion& question) = 0;
    // Whether the work in an editing window is kept (false when cancelled).
    virtual bool edit(const EditQuestion& question) = 0;
    // A line of text typed under `prompt`; nullopt when cancelled.
    virtual std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt) = 0;
    // Where `printer` prints (a printer or a PDF file), set on it; false when cancelled.
    virtual bool choosePrinter(QPrinter& printer, QWidget* parent, const QString& title) = 0;

    // File dialogs: an empty text means cancelled.
    // `dir` may name a file: the name the dialog suggests; a name without a folder is offered in
    // the folder last saved in. A file to save ends as the chosen type asks (the first type for an
    // answer given beforehand); a name that cannot be a file is refused with a message (empty
    // text). The last start offered is kept.
    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    QString openFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    const QString& lastOfferedFile() const { return m_lastOffered; }

    // A window the user works in until closing it (the report preview). `complete` finishes
    // what the window shows (pages still being laid out) and tells whether there is anything to
    // show. A person gets the window at once and works in it: nullopt once closed. Answers given
    // beforehand are played on a complete window, shown and painted once: the answer for `kind`.
    virtual std::optional<QString> runWindow(QDialog& window, DialogKind kind,
                                             const std::function<bool()>& complete) = 0;

    // An answer the dialog cannot take (a page the report's bands do not fit). A person is told
    // and asked again; an answer given beforehand is final, so the command ends with `reason`.
    virtual void refuseAnswer(const QString& reason) = 0;

    // Progress of long work under `title`: each call shows the step; false once cancelled.
    using Progress = std::function<bool(const QString& step, int done, int total)>;
    virtual Progress progress(QWidget* parent, const QString& title) = 0;

signals:
    void messageShown(const QString& text);

protected:
    enum class MessageKind { Error, Information };
    enum class FilePurpose { Save, Open };

    virtual void present(MessageKind kind, const QString& text) = 0;
    virtual bool answerQuestion(const QString& text) = 0;
    // The chosen file, empty when cancelled.
    virtual QString chooseFile(FilePurpose purpose, QWidget* parent, const QString& caption,
                               const QString& dir, const QString& filter) = 0;

private:
    void record(const QString& text);

    QStringList m_messages;
    QString m_lastOffered;
};

} // namespace Kav
