#pragma once
// Reads what a user sees of a control of a form: its text, enabled and checked state, whatever
// the kind of control.

#include <optional>
#include <QString>

class QObject;

namespace Kav::Host::ControlProbe {

// The shown text: an edit's text (without mask blanks), a date edit's shown date, a combo box's
// current item, a button's, label's or group's caption. Nullopt for a control with no text.
std::optional<QString> text(const QObject* control);

// Whether the user can use it now (a disabled parent disables its children).
bool enabled(const QObject* control);

// Nullopt for a control that cannot be checked.
std::optional<bool> checked(const QObject* control);

// The object name of the control, or of its nearest named ancestor ("(none)" without one).
QString describe(const QObject* control);

} // namespace Kav::Host::ControlProbe
