#pragma once
// Runs a host script against a ScriptHost: performs its actions, answers dialogs from its
// answers, and checks its expectations, stopping at the first that does not hold.

#include "ScriptCommand.h"
#include "ScriptParser.h"

#include <QDir>
#include <QObject>
#include <QStringList>

#include "ScriptedDialogService.h"

class QTextStream;
class QWidget;

namespace Kav::Host {

class ScriptHost;
struct ScriptResult
{
    bool ok = true;
    int line = 0;    // the failing line
    QString command; // the failing line as written
    QString expected;
    QString found;

    QString describe() const;
};

class ScriptRunner : public QObject
{
    Q_OBJECT
public:
    // Dialogs take the script's answers from `dialogs`; messages and failures are written to
    // `log` as they happen.
    ScriptRunner(ScriptHost& host, Kav::ScriptedDialogService& dialogs, QTextStream& log);

    // Relative paths of the script are taken from `scriptDir`.
    ScriptResult run(const QList<ScriptCommand>& commands, const QDir& scriptDir);
    // Reads, checks and runs a script file.
    ScriptResult runFile(const QString& path);

private:
    struct Mismatch
    {
        QString expected;
        QString found;
    };
    struct QueuedAnswer
    {
        Kav::DialogKind kind;
        QString answer;
        int line;
        QString command;
    };

    std::optional<Mismatch> execute(const ScriptCommand& command);
    std::optional<Mismatch> expectation(const ScriptCommand& command);
    std::optional<Mismatch> action(const ScriptCommand& command);
    void queueAnswer(const ScriptCommand& command, Kav::DialogKind kind, const QString& answer);
    // The control named `name` on the active form, or why there is none.
    QObject* control(const QString& name, Mismatch* missing) const;
    QWidget* form(const QString& name) const;
    ScriptResult unusedAnswer() const;
    ScriptResult fail(const ScriptCommand& command, const Mismatch& mismatch);

    ScriptHost& m_host;
    Kav::ScriptedDialogService& m_dialogs;
    QTextStream& m_log;
    QDir m_scriptDir;
    QStringList m_unexpectedMessages;
    QList<QueuedAnswer> m_answers;
    std::optional<Mismatch> m_unanswered;
};

} // namespace Kav::Host
