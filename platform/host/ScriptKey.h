#pragma once
// A key as scripts name it ("Tab", "Shift+Tab", "Enter", "F9", "Ctrl+Shift+I", "a"): the key
// code and modifiers a key press carries.

#include <optional>
#include <QString>
#include <Qt>

namespace Kav::Host {

struct ScriptKey
{
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers;

    // Nullopt when the text names no single key.
    static std::optional<ScriptKey> parse(const QString& text);
};

} // namespace Kav::Host
