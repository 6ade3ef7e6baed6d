#pragma once
// A remote-call failure carrying its JSON-RPC error code, raised by the protocol on both ends.

#include "KavException.h"

namespace Kav::Rpc {

// The standard JSON-RPC 2.0 codes, and the server-defined ones from the reserved -32000 range.
enum ErrorCode : int {
    ParseError = -32700,       // the line is not JSON
    InvalidRequest = -32600,   // JSON, but not a request (or longer than the line cap)
    MethodNotFound = -32601,   // unknown object or method
    InvalidParams = -32602,    // wrong argument count, type or typed value
    InternalError = -32603,    // the server failed outside the method
    ApplicationError = -32000, // the method itself raised; the message is its text
    ServerStopping = -32001,   // the server is shutting down and takes no new calls
    Unauthorized = -32002,     // no access token, or a wrong one, before the first call
    ServerBusy = -32003,       // the server serves as many connections as it may; try another
};

class RpcError : public Kav::Exception
{
public:
    RpcError(int code, const QString& message) : Kav::Exception(message), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

} // namespace Kav::Rpc
