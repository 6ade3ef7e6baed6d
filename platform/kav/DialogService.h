#pragma once
// The one door through which every message and modal dialog reaches the user. It records the
// messages shown, and in automated mode (tests, scripts) it never blocks: dialogs take their
// answers from a queue filled beforehand.

#include <optional>
#include <QObject>
#include <QStringList>

class QWidget;

namespace Kav {

enum class DialogKind { Lookup, List, File, Preview, Question };

QString dialogKindName(DialogKind kind);

class DialogService : public QObject
{
    Q_OBJECT
public:
    static DialogService& instance();

    void setAutomated(bool automated);
    bool isAutomated() const { return m_automated; }

    // Messages. In automated mode they are recorded and announced, not shown in a box.
    void showError(const QString& text);
    void showInformation(const QString& text);
    bool askQuestion(const QString& text);

    // Every message shown since start (or the last clear), oldest first.
    const QStringList& shownMessages() const { return m_messages; }
    void clearMessages() { m_messages.clear(); }

    // Automation: the answer for the next dialog of `kind` ("3", "CDTIPOCARD=0000000002",
    // "001 003", "none", "cancel", a file path, "close", "yes"...).
    void queueAnswer(DialogKind kind, const QString& answer);
    // Unused answers, as "kind answer" texts.
    QStringList pendingAnswers() const;
    void clearAnswers();

    // Called by a dialog about to open. Not automated: nullopt, the dialog shows itself.
    // Automated: the queued answer; with none queued the dialog counts as unanswered
    // (reported through dialogUnanswered) and is answered "cancel".
    std::optional<QString> takeAnswer(DialogKind kind, const QString& title);

    // File dialogs: an empty text means cancelled.
    // `dir` may name a file: the name the dialog suggests. The last one offered is kept.
    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    QString openFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);

    const QString& lastOfferedFile() const { return m_lastOffered; }

signals:
    void messageShown(const QString& text);
    void dialogUnanswered(Kav::DialogKind kind, const QString& title);

private:
    void record(const QString& text);

    bool m_automated = false;
    QStringList m_messages;
    QString m_lastOffered;
    QList<QPair<DialogKind, QString>> m_answers;
};

} // namespace Kav
