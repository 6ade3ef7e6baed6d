#include "ScriptRunner.h"

#include "Colors.h"
#include "ControlDriver.h"
#include "ControlProbe.h"
#include "KavException.h"
#include "ScriptHost.h"
#include "ScriptKey.h"
#include "SyntheticInput.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QWidget>

namespace Kav::Host {

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

// Sends the messages a script must see to its log and queue; undone when the run ends.
class Connections
{
public:
    ~Connections()
    {
        for (const auto& connection : m_connections)
            QObject::disconnect(connection);
    }
    void add(QMetaObject::Connection connection) { m_connections.append(connection); }

private:
    QList<QMetaObject::Connection> m_connections;
};

} // namespace

QString ScriptResult::describe() const
{
    if (ok)
        return QStringLiteral("every expectation held");
    QString text = QStringLiteral("line %1").arg(line);
    if (!command.isEmpty())
        text += QStringLiteral(" (%1)").arg(command);
    if (expected.isEmpty())
        return text + QStringLiteral(": ") + found;
    return text + QStringLiteral(": expected %1, found %2").arg(expected, found);
}

ScriptRunner::ScriptRunner(ScriptHost& host, Kav::ScriptedDialogService& dialogs, QTextStream& log)
    : m_host(host), m_dialogs(dialogs), m_log(log)
{}

ScriptResult ScriptRunner::runFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ScriptResult result{
            false, 0, {}, {}, QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
        m_log << "FAIL " << result.describe() << Qt::endl;
        return result;
    }
    const ScriptParser::Result parsed = ScriptParser::parse(QString::fromUtf8(file.readAll()));
    if (parsed.error) {
        ScriptResult result{false, parsed.error->line, {}, {}, parsed.error->message};
        m_log << "FAIL " << result.describe() << Qt::endl;
        return result;
    }
    return run(parsed.commands, QFileInfo(path).absoluteDir());
}

ScriptResult ScriptRunner::run(const QList<ScriptCommand>& commands, const QDir& scriptDir)
{
    m_dialogs.clearAnswers();
    m_scriptDir = scriptDir;
    m_unexpectedMessages.clear();
    m_answers.clear();
    m_unanswered.reset();

    Connections connections;
    connections.add(connect(&m_dialogs, &Kav::DialogService::messageShown, this, [this](const QString& text) {
        m_log << "message: " << text << Qt::endl;
        m_unexpectedMessages.append(text);
    }));
    connections.add(connect(&m_dialogs, &Kav::ScriptedDialogService::dialogUnanswered, this,
                            [this](Kav::DialogKind kind, const QString& title) {
                                if (!m_unanswered) {
                                    m_unanswered =
                                        Mismatch{QStringLiteral("an answer queued for the %1 dialog %2")
                                                     .arg(Kav::dialogKindName(kind), quoted(title)),
                                                 QStringLiteral("none queued")};
                                }
                            }));

    ScriptResult result;
    for (const ScriptCommand& command : commands) {
        m_log << "> " << command.line << ": " << command.source << Qt::endl;
        std::optional<Mismatch> mismatch;
        try {
            mismatch = execute(command);
        } catch (const std::exception& error) {
            mismatch = Mismatch{QStringLiteral("the command to finish"),
                                QStringLiteral("error: %1").arg(error.what())};
        }
        if (!mismatch && m_unanswered)
            mismatch = m_unanswered;
        if (mismatch) {
            result = fail(command, *mismatch);
            break;
        }
    }
    if (result.ok)
        result = unusedAnswer();
    if (!result.ok)
        m_log << "FAIL " << result.describe() << Qt::endl;
    m_dialogs.clearAnswers();
    return result;
}

ScriptResult ScriptRunner::fail(const ScriptCommand& command, const Mismatch& mismatch)
{
    return ScriptResult{false, command.line, command.source, mismatch.expected, mismatch.found};
}

ScriptResult ScriptRunner::unusedAnswer() const
{
    // The service answers each kind's dialogs in queue order, so the answers still pending are
    // the last ones queued of their kind.
    const QStringList pending = m_dialogs.pendingAnswers();
    std::optional<QueuedAnswer> first;
    for (const Kav::DialogKind kind : {Kav::DialogKind::Lookup, Kav::DialogKind::List, Kav::DialogKind::File,
                                       Kav::DialogKind::Preview, Kav::DialogKind::Question}) {
        const QString prefix = Kav::dialogKindName(kind) + QLatin1Char(' ');
        qsizetype unused = std::count_if(pending.cbegin(), pending.cend(), [&prefix](const QString& answer) {
            return answer.startsWith(prefix);
        });
        for (auto it = m_answers.crbegin(); it != m_answers.crend() && unused > 0; ++it) {
            if (it->kind != kind)
                continue;
            --unused;
            if (unused == 0 && (!first || it->line < first->line))
                first = *it;
        }
    }
    if (!first)
        return {};
    return ScriptResult{false, first->line, first->command,
                        QStringLiteral("a %1 dialog to take the answer %2")
                            .arg(Kav::dialogKindName(first->kind), quoted(first->answer)),
                        QStringLiteral("it was never asked for")};
}

void ScriptRunner::queueAnswer(const ScriptCommand& command, Kav::DialogKind kind, const QString& answer)
{
    m_dialogs.queueAnswer(kind, answer);
    m_answers.append(QueuedAnswer{kind, answer, command.line, command.source});
}

QObject* ScriptRunner::control(const QString& name, Mismatch* missing) const
{
    QWidget* active = m_host.activeForm();
    if (!active) {
        *missing = Mismatch{QStringLiteral("control %1 on the active form").arg(name),
                            QStringLiteral("no form open")};
        return nullptr;
    }
    if (active->objectName() == name)
        return active;
    if (QObject* found = active->findChild<QObject*>(name))
        return found;
    *missing = Mismatch{QStringLiteral("control %1 on the active form").arg(name),
                        QStringLiteral("no such control on %1").arg(active->objectName())};
    return nullptr;
}

QWidget* ScriptRunner::form(const QString& name) const
{
    for (QWidget* open : m_host.openForms()) {
        if (open->objectName() == name || QLatin1String(open->metaObject()->className()) == name)
            return open;
    }
    return nullptr;
}

std::optional<ScriptRunner::Mismatch> ScriptRunner::execute(const ScriptCommand& command)
{
    const QStringList& args = command.args;
    switch (command.verb) {
    case ScriptVerb::AnswerLookup:
        queueAnswer(command, Kav::DialogKind::Lookup, args[0]);
        return std::nullopt;
    case ScriptVerb::AnswerList:
        queueAnswer(command, Kav::DialogKind::List, args.join(QLatin1Char(' ')));
        return std::nullopt;
    case ScriptVerb::AnswerFile:
        queueAnswer(command, Kav::DialogKind::File,
                    args[0] == QLatin1String("cancel") ? args[0] : m_scriptDir.absoluteFilePath(args[0]));
        return std::nullopt;
    case ScriptVerb::AnswerPreview: {
        // Pictures land beside the script, as the files it answers do.
        static const QString grab = QStringLiteral("grab=");
        QStringList steps = args;
        for (QString& step : steps) {
            if (step.startsWith(grab))
                step = grab + m_scriptDir.absoluteFilePath(step.mid(grab.size()));
        }
        queueAnswer(command, Kav::DialogKind::Preview, steps.join(QLatin1Char(' ')));
        return std::nullopt;
    }
    case ScriptVerb::AnswerQuestion:
        queueAnswer(command, Kav::DialogKind::Question, args[0]);
        return std::nullopt;
    case ScriptVerb::Wait:
        SyntheticInput::wait(args[0].toInt());
        return std::nullopt;
    case ScriptVerb::ExpectMessage:
    case ScriptVerb::ExpectNoMessages:
    case ScriptVerb::ExpectText:
    case ScriptVerb::ExpectEnabled:
    case ScriptVerb::ExpectChecked:
    case ScriptVerb::ExpectFocus:
    case ScriptVerb::ExpectColor:
    case ScriptVerb::ExpectForm:
    case ScriptVerb::ExpectFile:
        return expectation(command);
    default:
        return action(command);
    }
}

std::optional<ScriptRunner::Mismatch> ScriptRunner::action(const ScriptCommand& command)
{
    const QStringList& args = command.args;
    QString failed;
    switch (command.verb) {
    case ScriptVerb::Open:
        try {
            m_host.openPackage(args[0]);
        } catch (const Kav::Exception& error) {
            return Mismatch{QStringLiteral("package %1 to open").arg(args[0]), error.message()};
        }
        QCoreApplication::processEvents();
        return std::nullopt;
    case ScriptVerb::Close:
        if (!m_host.activeForm())
            return Mismatch{QStringLiteral("a form to close"), QStringLiteral("no form open")};
        m_host.closeActiveForm();
        QCoreApplication::processEvents();
        return std::nullopt;
    case ScriptVerb::Key:
        failed = ControlDriver::key(*ScriptKey::parse(args[0]));
        break;
    default: {
        Mismatch missing;
        QObject* target = control(args[0], &missing);
        if (!target)
            return missing;
        auto* widget = qobject_cast<QWidget*>(target);
        if (command.verb == ScriptVerb::Click)
            failed = ControlDriver::click(target);
        else if (!widget)
            failed = QStringLiteral("%1 is not a control the user can reach").arg(args[0]);
        else if (command.verb == ScriptVerb::Focus)
            failed = ControlDriver::focus(widget);
        else if (command.verb == ScriptVerb::Type)
            failed = ControlDriver::type(widget, args[1]);
        else if (command.verb == ScriptVerb::Clear)
            failed = ControlDriver::clear(widget);
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            failed = ControlDriver::select(combo, args[1]);
        else
            failed = QStringLiteral("%1 is not a combo box").arg(args[0]);
    }
    }
    if (failed.isEmpty())
        return std::nullopt;
    return Mismatch{QStringLiteral("to %1").arg(command.source), failed};
}

std::optional<ScriptRunner::Mismatch> ScriptRunner::expectation(const ScriptCommand& command)
{
    const QStringList& args = command.args;
    switch (command.verb) {
    case ScriptVerb::ExpectMessage:
        if (m_unexpectedMessages.isEmpty())
            return Mismatch{quoted(args[0]), QStringLiteral("no message")};
        if (const QString oldest = m_unexpectedMessages.takeFirst(); oldest != args[0])
            return Mismatch{quoted(args[0]), quoted(oldest)};
        return std::nullopt;
    case ScriptVerb::ExpectNoMessages:
        if (m_unexpectedMessages.isEmpty())
            return std::nullopt;
        return Mismatch{QStringLiteral("no message waiting"), QStringLiteral("%1 message(s), the oldest %2")
                                                                  .arg(m_unexpectedMessages.size())
                                                                  .arg(quoted(m_unexpectedMessages.first()))};
    case ScriptVerb::ExpectForm: {
        const bool open = form(args[0]) != nullptr;
        if (open == (args[1] == QLatin1String("open")))
            return std::nullopt;
        return Mismatch{QStringLiteral("form %1 %2").arg(args[0], args[1]),
                        open ? QStringLiteral("it is open") : QStringLiteral("it is not open")};
    }
    case ScriptVerb::ExpectFile: {
        const QFileInfo file(m_scriptDir.absoluteFilePath(args[0]));
        if (file.exists() && file.size() > 0)
            return std::nullopt;
        return Mismatch{QStringLiteral("a file with content at %1").arg(file.absoluteFilePath()),
                        file.exists() ? QStringLiteral("an empty file") : QStringLiteral("no file")};
    }
    default:
        break;
    }

    Mismatch missing;
    QObject* target = control(args[0], &missing);
    if (!target)
        return missing;
    switch (command.verb) {
    case ScriptVerb::ExpectText: {
        const auto text = ControlProbe::text(target);
        if (!text)
            return Mismatch{quoted(args[1]), QStringLiteral("%1 shows no text").arg(args[0])};
        if (*text == args[1])
            return std::nullopt;
        return Mismatch{quoted(args[1]), quoted(*text)};
    }
    case ScriptVerb::ExpectEnabled: {
        const bool enabled = ControlProbe::enabled(target);
        if (yesNo(enabled) == args[1])
            return std::nullopt;
        return Mismatch{QStringLiteral("enabled %1").arg(args[1]),
                        QStringLiteral("enabled %1").arg(yesNo(enabled))};
    }
    case ScriptVerb::ExpectChecked: {
        const auto checked = ControlProbe::checked(target);
        if (!checked)
            return Mismatch{QStringLiteral("checked %1").arg(args[1]),
                            QStringLiteral("%1 cannot be checked").arg(args[0])};
        if (yesNo(*checked) == args[1])
            return std::nullopt;
        return Mismatch{QStringLiteral("checked %1").arg(args[1]),
                        QStringLiteral("checked %1").arg(yesNo(*checked))};
    }
    case ScriptVerb::ExpectFocus: {
        const QWidget* focused = QApplication::focusWidget();
        const auto* widget = qobject_cast<const QWidget*>(target);
        if (focused && widget && (focused == widget || widget->isAncestorOf(focused)))
            return std::nullopt;
        return Mismatch{QStringLiteral("the focus on %1").arg(args[0]),
                        focused ? QStringLiteral("it on %1").arg(ControlProbe::describe(focused))
                                : QStringLiteral("no control with the focus")};
    }
    case ScriptVerb::ExpectColor: {
        const auto* widget = qobject_cast<const QWidget*>(target);
        if (!widget)
            return Mismatch{args[1], QStringLiteral("%1 has no colour").arg(args[0])};
        // Names that share a value (clWindow, clWhite) look the same to the user.
        const QString shown = Kav::colorOf(widget);
        if (shown == args[1] || Kav::colorFromName(shown) == Kav::colorFromName(args[1]))
            return std::nullopt;
        return Mismatch{args[1], shown};
    }
    default:
        return std::nullopt;
    }
}

} // namespace Kav::Host
