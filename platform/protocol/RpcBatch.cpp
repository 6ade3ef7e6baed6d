#include "RpcBatch.h"

#include "RpcError.h"
#include "RpcJsonText.h"
#include "RpcRequest.h"

namespace Kav::Rpc {

RpcBatch RpcBatch::split(const QByteArray& line)
{
    if (!line.trimmed().startsWith('['))
        return RpcBatch{false, {line}};
    RpcRequest::readJson(line); // text the scanner may walk
    RpcBatch batch{true, JsonText::arrayElements(line)};
    if (batch.calls.isEmpty())
        throw RpcError(InvalidRequest, QStringLiteral("an empty batch holds no request"));
    if (batch.calls.size() > kMaxCalls)
        throw RpcError(InvalidRequest, QStringLiteral("a batch holds at most %1 calls").arg(kMaxCalls));
    return batch;
}

} // namespace Kav::Rpc
