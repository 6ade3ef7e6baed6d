#pragma once
// How controls fire their standard events: notify events with the control as sender, and the
// key events with the key as the handlers know it (a 16-bit virtual-key code and the pressed
// modifiers for OnKeyDown, the typed character for OnKeyPress).

#include <QChar>
#include <QtGlobal>

class QKeyEvent;
class QObject;

namespace Kav {

// These are called from Qt (signals, event overrides): a nested handler's error is kept for its
// caller (runFromQt), never thrown back into Qt.

// Fires `event` ("OnClick", "OnChange"...) of `control` with the control as sender, unless a
// layout is being applied.
void fireNotify(QObject* control, const char* event);

// The virtual-key code of a key (letters and digits are their upper-case character codes,
// Escape 27, Enter 13, F1 112...); 0 for a key without one.
quint16 virtualKey(const QKeyEvent* event);

// The character a key types (control characters included: Escape 27, Enter 13); null when none.
QChar keyChar(const QKeyEvent* event);

// Fire OnKeyDown / OnKeyPress of `control` (sender `sender`) for a key press, when bound and
// the key has a code / types a character. True when the handler consumed the key by setting it
// to 0.
bool fireKeyDown(QObject* control, QObject* sender, const QKeyEvent* event);
bool fireKeyPress(QObject* control, QObject* sender, const QKeyEvent* event);

} // namespace Kav
