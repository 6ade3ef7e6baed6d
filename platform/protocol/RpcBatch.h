#pragma once
// One request line cut into the calls it holds: the line itself for a single call, each element's
// text for a batch (a JSON array of requests). Each call of a batch runs and is answered on its
// own; the answers go back together as one array, without those of notifications.

#include <QByteArray>
#include <QList>

namespace Kav::Rpc {

struct RpcBatch
{
    // Calls one batch may hold: their answers are gathered in memory until the last is done.
    static constexpr qsizetype kMaxCalls = 1000;

    bool isBatch = false;
    QList<QByteArray> calls;

    // Throws RpcError: ParseError for an array that is not JSON text, InvalidRequest for an empty
    // batch or one of more than kMaxCalls. A single call is not parsed here (RpcRequest::parse does that).
    static RpcBatch split(const QByteArray& line);
};

} // namespace Kav::Rpc
