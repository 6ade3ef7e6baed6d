#include "ScriptKey.h"

#include <QKeySequence>

namespace Kav::Host {

std::optional<ScriptKey> ScriptKey::parse(const QString& text)
{
    const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (sequence.count() != 1)
        return std::nullopt;
    ScriptKey parsed;
    parsed.key = sequence[0].key();
    parsed.modifiers = sequence[0].keyboardModifiers();
    if (parsed.key == Qt::Key_unknown || parsed.key == 0)
        return std::nullopt;
    // "Enter" is the main keyboard's Enter key, the one users press; Qt's name belongs to the
    // keypad's.
    if (parsed.key == Qt::Key_Enter)
        parsed.key = Qt::Key_Return;
    return parsed;
}

} // namespace Kav::Host
