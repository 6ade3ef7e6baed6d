#pragma once
// What the event dispatcher (Events.h) keeps about the commands of one client: how deeply its
// running handlers are nested, the error kept from a handler Qt called, how an error that ends a
// command is shown, and what is let go when a command ends. Each client context holds its own,
// so a context made inside another (a test inside a running host) neither sees the other's
// running command nor shows its errors.

#include <exception>
#include <functional>
#include <QString>
#include <vector>

namespace Kav {

using ErrorDisplay = std::function<void(const QString& message)>;

struct CommandState
{
    CommandState();

    int handlerDepth = 0;
    // The error of a handler reached through Qt's frames, waiting to be thrown in our own.
    std::exception_ptr keptError;
    ErrorDisplay errorDisplay;
    // Called after every outermost command, whatever its outcome.
    std::vector<std::function<void()>> commandEndListeners;
};

} // namespace Kav
