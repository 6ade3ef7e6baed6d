#pragma once
// The typed values of the remote-call protocol and their JSON form on the wire.
//
//   null -> null            boolean -> true/false       integer -> 42
//   text -> "abc"           array -> [v, ...]
//   date -> {"date":"2026-03-02"}          date-time -> {"datetime":"2026-03-02T10:15:00.000"}
//   float -> {"float":1.5}                 data packet -> {"packet":{"fields":[...],"rows":[...]}}
//
// Dates travel as ISO 8601 text, so no end reads them through a workstation's date format.

#include "DataPacket.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QVariant>

namespace Kav::Rpc {

// Throws RpcError(InvalidParams) for a value the protocol cannot carry (an unknown type, a
// non-finite float, an integer beyond what JSON numbers hold exactly).
QJsonValue encodeValue(const QVariant& value);

// Throws RpcError(InvalidParams) naming what is wrong with a malformed typed value.
QVariant decodeValue(const QJsonValue& json);

// The protocol's name of the type `value` travels as ("text", "integer", "date-time"...), for
// messages to a client that knows the wire, not the server's internals.
QString typeName(const QVariant& value);

QJsonObject encodePacket(const DataPacket& packet);
DataPacket decodePacket(const QJsonValue& json);

} // namespace Kav::Rpc
