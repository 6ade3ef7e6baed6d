#pragma once
// The two kinds of error a command can end with: an error with a text to show, and the silent
// abort raised after a message was already shown.

#include <QString>
#include <stdexcept>

namespace Kav {

class Exception : public std::runtime_error
{
public:
    explicit Exception(const QString& message) : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Ends the running command quietly: its message has already been shown.
class SilentAbort : public Exception
{
public:
    explicit SilentAbort(const QString& shownMessage) : Exception(shownMessage) {}
};

} // namespace Kav
