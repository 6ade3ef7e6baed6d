#pragma once
// Delivers key presses and mouse clicks to a widget as the window system would: the same events,
// through the application, with the focus a click gives. Scripts work the shipped host with it,
// so the host needs no test library.

#include <QPoint>
#include <QString>
#include <Qt>

class QWidget;

namespace Kav::Host::SyntheticInput {

// A press and release of `key`; shortcuts see the press first, as they do for a user's keys.
void keyClick(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// One key click per character of `text`, each carrying that character.
void keyClicks(QWidget* target, const QString& text);
// A left-button press and release at `position` (in `target`'s coordinates), after the focus
// moves as a click moves it.
void mouseClick(QWidget* target, QPoint position);
// Runs the event loop for `milliseconds`, as a pause between a user's actions would.
void wait(int milliseconds);

} // namespace Kav::Host::SyntheticInput
