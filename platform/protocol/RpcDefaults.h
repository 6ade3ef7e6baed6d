#pragma once
// Where client and application server meet when nothing else is configured.

#include <QtGlobal>

namespace Kav::Rpc {

constexpr quint16 kDefaultServerPort = 8211;

} // namespace Kav::Rpc
