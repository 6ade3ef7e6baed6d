#include "ScriptParser.h"

#include "PreviewWindowScript.h"

#include "Colors.h"
#include "ScriptKey.h"

#include <QRegularExpression>

namespace Kav::Host {

namespace {

const QString kYesNo = QStringLiteral("yes|no");

// A command's leading words, the number of words it takes after them, and how to use it.
struct Rule
{
    QStringList lead;
    ScriptVerb verb;
    int minArgs;
    int maxArgs; // -1: no limit
    QString usage;
};

const QList<Rule>& rules()
{
    static const QList<Rule> table = {
        {{"open"}, ScriptVerb::Open, 1, 1, "open PACKAGE"},
        {{"close"}, ScriptVerb::Close, 0, 0, "close"},
        {{"focus"}, ScriptVerb::Focus, 1, 1, "focus CONTROL"},
        {{"type"}, ScriptVerb::Type, 2, 2, "type CONTROL TEXT"},
        {{"clear"}, ScriptVerb::Clear, 1, 1, "clear CONTROL"},
        {{"click"}, ScriptVerb::Click, 1, 1, "click CONTROL"},
        {{"key"}, ScriptVerb::Key, 1, 1, "key KEYS"},
        {{"select"}, ScriptVerb::Select, 2, 2, "select CONTROL ITEM"},
        {{"answer", "lookup"}, ScriptVerb::AnswerLookup, 1, 1, "answer lookup N|FIELD=VALUE|cancel"},
        {{"answer", "list"}, ScriptVerb::AnswerList, 1, -1, "answer list KEY...|none|cancel"},
        {{"answer", "file"}, ScriptVerb::AnswerFile, 1, 1, "answer file PATH|cancel"},
        {{"answer", "preview"}, ScriptVerb::AnswerPreview, 1, -1, "answer preview [STEP...] close"},
        {{"answer", "question"}, ScriptVerb::AnswerQuestion, 1, 1, "answer question yes|no"},
        {{"expect", "messages"}, ScriptVerb::ExpectNoMessages, 1, 1, "expect messages none"},
        {{"expect", "message"}, ScriptVerb::ExpectMessage, 1, 1, "expect message TEXT"},
        {{"expect", "text"}, ScriptVerb::ExpectText, 2, 2, "expect text CONTROL TEXT"},
        {{"expect", "enabled"}, ScriptVerb::ExpectEnabled, 2, 2, "expect enabled CONTROL yes|no"},
        {{"expect", "checked"}, ScriptVerb::ExpectChecked, 2, 2, "expect checked CONTROL yes|no"},
        {{"expect", "focus"}, ScriptVerb::ExpectFocus, 1, 1, "expect focus CONTROL"},
        {{"expect", "color"}, ScriptVerb::ExpectColor, 2, 2, "expect color CONTROL COLOR"},
        {{"expect", "form"}, ScriptVerb::ExpectForm, 2, 2, "expect form NAME open|closed"},
        {{"expect", "file"}, ScriptVerb::ExpectFile, 1, 1, "expect file PATH"},
        {{"wait"}, ScriptVerb::Wait, 1, 1, "wait MS"},
    };
    return table;
}

bool startsWith(const QStringList& words, const QStringList& lead)
{
    if (words.size() < lead.size())
        return false;
    for (qsizetype i = 0; i < lead.size(); ++i) {
        if (words[i] != lead[i])
            return false;
    }
    return true;
}

bool isOneOf(const QString& word, const QString& choices)
{
    return choices.split(QLatin1Char('|')).contains(word);
}

bool isCount(const QString& word, int minimum)
{
    bool ok = false;
    const int value = word.toInt(&ok);
    return ok && value >= minimum && !word.startsWith(QLatin1Char('+'));
}

// What is wrong with the words of a command whose shape is right; empty when nothing is.
QString checkWords(ScriptVerb verb, const QStringList& args)
{
    switch (verb) {
    case ScriptVerb::Key:
        return ScriptKey::parse(args[0]) ? QString() : QStringLiteral("unknown key \"%1\"").arg(args[0]);
    case ScriptVerb::Wait:
        return isCount(args[0], 0) ? QString()
                                   : QStringLiteral("\"%1\" is not a number of milliseconds").arg(args[0]);
    case ScriptVerb::AnswerLookup: {
        static const QRegularExpression fieldValue(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*=.*$"));
        if (args[0] == QLatin1String("cancel") || isCount(args[0], 1) || fieldValue.match(args[0]).hasMatch())
            return {};
        return QStringLiteral("a lookup is answered with a row from 1, FIELD=VALUE or cancel, not \"%1\"")
            .arg(args[0]);
    }
    case ScriptVerb::AnswerList:
        if (args.size() > 1 &&
            (args.contains(QLatin1String("none")) || args.contains(QLatin1String("cancel"))))
            return QStringLiteral("\"none\" and \"cancel\" stand alone in a list answer");
        return {};
    case ScriptVerb::AnswerPreview:
        for (const QString& step : args) {
            if (const QString error = Qr::PreviewWindowScript::stepError(step); !error.isEmpty())
                return error;
        }
        // Printing from the preview would need a printer: scripts only close it.
        return args.last() == QLatin1String("close") &&
                       args.indexOf(QLatin1String("close")) == args.size() - 1
                   ? QString()
                   : QStringLiteral("a preview's steps end with close, and only there");
    case ScriptVerb::AnswerQuestion:
        return isOneOf(args[0], kYesNo) ? QString() : QStringLiteral("a question is answered yes or no");
    case ScriptVerb::ExpectNoMessages:
        return args[0] == QLatin1String("none") ? QString() : QStringLiteral("write: expect messages none");
    case ScriptVerb::ExpectEnabled:
    case ScriptVerb::ExpectChecked:
        return isOneOf(args[1], kYesNo) ? QString()
                                        : QStringLiteral("expected yes or no, not \"%1\"").arg(args[1]);
    case ScriptVerb::ExpectColor:
        return Kav::colorFromName(args[1]).isValid() ? QString()
                                                     : QStringLiteral("unknown colour \"%1\"").arg(args[1]);
    case ScriptVerb::ExpectForm:
        return isOneOf(args[1], QStringLiteral("open|closed"))
                   ? QString()
                   : QStringLiteral("expected open or closed, not \"%1\"").arg(args[1]);
    default:
        return {};
    }
}

} // namespace

std::optional<QStringList> ScriptParser::splitWords(const QString& line, QString* error)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\\')) {
            const QChar next = i + 1 < line.size() ? line[i + 1] : QChar();
            if (next != QLatin1Char('"') && next != QLatin1Char('\\')) {
                *error = QStringLiteral("unknown escape at column %1: only \\\" and \\\\ escape").arg(i + 1);
                return std::nullopt;
            }
            word += next;
            inWord = true;
            ++i;
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (c.isSpace() && !quoted) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            if (!inWord && words.isEmpty() && c == QLatin1Char('#'))
                return QStringList();
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        *error = QStringLiteral("unterminated quote");
        return std::nullopt;
    }
    if (inWord)
        words.append(word);
    return words;
}

ScriptParser::Result ScriptParser::parse(const QString& text)
{
    Result result;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const int lineNumber = int(index) + 1;
        const QString line = lines[index].trimmed();
        QString error;
        const auto words = splitWords(line, &error);
        if (!words) {
            result.error = ScriptError{lineNumber, error};
            return result;
        }
        if (words->isEmpty())
            continue;

        const Rule* match = nullptr;
        for (const Rule& rule : rules()) {
            if (startsWith(*words, rule.lead) && (!match || rule.lead.size() > match->lead.size()))
                match = &rule;
        }
        if (!match) {
            result.error =
                ScriptError{lineNumber, QStringLiteral("unknown command \"%1\"").arg(words->join(' '))};
            return result;
        }
        const QStringList args = words->mid(match->lead.size());
        if (args.size() < match->minArgs || (match->maxArgs >= 0 && args.size() > match->maxArgs)) {
            result.error = ScriptError{
                lineNumber, QStringLiteral("wrong number of words; write: %1 (quote texts with blanks)")
                                .arg(match->usage)};
            return result;
        }
        if (const QString wrong = checkWords(match->verb, args); !wrong.isEmpty()) {
            result.error = ScriptError{lineNumber, wrong};
            return result;
        }
        result.commands.append(ScriptCommand{lineNumber, match->verb, line, args});
    }
    return result;
}

} // namespace Kav::Host
