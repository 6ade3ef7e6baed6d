#pragma once
// The parameters of the handler each event of the stored layouts calls, as the components fire
// it (Kav::fireEvent): what the declarations generated for a form's handlers are written with.

#include <optional>
#include <QString>

namespace KavBind {

// The parameter list of a handler of `event` ("QObject* Sender, bool& Proceed"); none for an
// event no component fires.
std::optional<QString> handlerParameters(const QString& event);

} // namespace KavBind
