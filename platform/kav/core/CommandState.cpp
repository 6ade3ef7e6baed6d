#include "CommandState.h"

#include <QDebug>

namespace Kav {

// Until the context gives it a dialog service, an error that ends a command goes to the log.
CommandState::CommandState() : errorDisplay([](const QString& message) { qWarning().noquote() << message; })
{}

} // namespace Kav
