#pragma once
// The check every data-packet answer of the application server passes before a screen uses it.

#include "DataPacket.h"

#include <QVariant>

namespace Consiste {

// The data packet in a server's answer: the answer itself, or its element `index` when the
// answer is an array. A text answer is the server's refusal and any other answer is not a
// packet: with `raiseOnError` the command ends with Kav::Exception carrying the server's text
// (or saying what came instead); without it an empty packet comes back.
Kav::DataPacket CheckResultServ(const QVariant& result, bool raiseOnError, int index);

} // namespace Consiste
