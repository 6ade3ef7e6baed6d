#pragma once
// A JSON reader that takes JSON text exactly as RFC 8259 defines it and nothing else: no raw
// control characters in a text, no unknown escape, numbers only in the grammar's form (no ".5",
// "1.", "+1" or leading zeros), UTF-8 only, no byte after the value but blanks. Numbers out of a
// double's range are still numbers (1e400 reads as infinity, 5E-342 as the nearest double): the
// grammar allows them, and refusing them would refuse JSON text. A text escape naming half a
// character (a lone surrogate such as "\ud800") is refused: no database or screen can hold it.

#include <QByteArray>
#include <QJsonValue>

namespace Kav::Rpc::StrictJson {

// Nesting deeper than this is refused rather than risking the reader's stack.
constexpr int kMaxDepth = 512;

// The value `text` holds. Throws RpcError(ParseError) saying what is wrong and where.
QJsonValue parse(const QByteArray& text);

} // namespace Kav::Rpc::StrictJson
