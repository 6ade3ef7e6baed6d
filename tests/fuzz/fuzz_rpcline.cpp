// Feeds arbitrary bytes to the server's reading path: the line buffer cuts them into lines (in
// chunks of a size the input chooses, as a socket delivers them), each line goes to the request
// parser and the answer parser. Anything may be refused with an RpcError; nothing may crash,
// leak, hold a line past the cap, or parse into a request that cannot be written back.

#include "RpcError.h"
#include "RpcLineBuffer.h"
#include "RpcRequest.h"
#include "RpcResponse.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Small enough for the fuzzer to reach the overflow path often.
constexpr qsizetype kFuzzLineCap = 256;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void parseLine(const QByteArray& line)
{
    check(line.size() <= kFuzzLineCap);
    check(!line.contains('\n'));
    QJsonValue id;
    try {
        const Kav::Rpc::RpcRequest request = Kav::Rpc::RpcRequest::parse(line, id);
        // What the server accepted it can write again, and reading that gives the same call.
        QJsonValue againId;
        const Kav::Rpc::RpcRequest again = Kav::Rpc::RpcRequest::parse(request.toLine(), againId);
        check(again.object == request.object && again.method == request.method);
        check(again.args == request.args && again.byRef == request.byRef);
    } catch (const Kav::Rpc::RpcError&) {
    }
    try {
        Kav::Rpc::RpcResponse::parse(line);
    } catch (const Kav::Rpc::RpcError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses how the rest is split into socket reads.
    const qsizetype chunk = qsizetype(data[0]) + 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    Kav::Rpc::RpcLineBuffer buffer(kFuzzLineCap);
    for (qsizetype at = 0; at < bytes.size() && !buffer.overflowed(); at += chunk) {
        buffer.append(bytes.mid(at, chunk));
        while (const std::optional<QByteArray> line = buffer.takeLine())
            parseLine(*line);
    }
    return 0;
}
