#pragma once
// One command of a host script, as read from its line: what to do, with which words.

#include <QStringList>

namespace Kav::Host {

enum class ScriptVerb {
    Open,
    Close,
    Focus,
    Type,
    Clear,
    Click,
    Key,
    Select,
    AnswerLookup,
    AnswerList,
    AnswerFile,
    AnswerPreview,
    AnswerQuestion,
    ExpectMessage,
    ExpectNoMessages,
    ExpectText,
    ExpectEnabled,
    ExpectChecked,
    ExpectFocus,
    ExpectColor,
    ExpectForm,
    ExpectFile,
    Wait,
};

struct ScriptCommand
{
    int line = 0; // counting from 1
    ScriptVerb verb = ScriptVerb::Close;
    QString source;   // the line as written, for reports
    QStringList args; // the words after the verb ("answer lookup", "expect text"...)
};

} // namespace Kav::Host
