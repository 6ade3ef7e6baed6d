#pragma once
// Reads the text of a host script into commands, checking every line before anything runs.

#include "ScriptCommand.h"

#include <optional>
#include <QList>
#include <QString>

namespace Kav::Host {

struct ScriptError
{
    int line = 0;
    QString message;
};

class ScriptParser
{
public:
    // The commands of the script, or the first line that cannot be read.
    struct Result
    {
        QList<ScriptCommand> commands;
        std::optional<ScriptError> error;
    };

    static Result parse(const QString& text);

    // Splits one line into words: blanks separate words, "double quotes" group blanks (and make
    // an empty word), \" and \\ escape inside and outside quotes, a line whose first word starts
    // with # is a comment. Nullopt with `error` set for an unterminated quote or an unknown
    // escape.
    static std::optional<QStringList> splitWords(const QString& line, QString* error);
};

} // namespace Kav::Host
