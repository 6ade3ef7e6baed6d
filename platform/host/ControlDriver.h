#pragma once
// Works a control of a form the way a user does with mouse and keyboard: focus by a click,
// typing key by key, clicking, keys to the focused control, picking a combo box item.
// Each action returns what stopped it (empty when it went through).

#include <QString>

class QComboBox;
class QObject;
class QWidget;

namespace Kav::Host {
struct ScriptKey;
}

namespace Kav::Host::ControlDriver {

QString focus(QWidget* control);
QString type(QWidget* control, const QString& text);
QString clear(QWidget* control);
// A widget is clicked with the left button; a menu item is triggered.
QString click(QObject* control);
// To the focused control (the active window when no control has the focus).
QString key(const ScriptKey& key);
// ITEM is the item's text, or #N counting from 1.
QString select(QComboBox* combo, const QString& item);

} // namespace Kav::Host::ControlDriver
