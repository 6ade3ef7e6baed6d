#pragma once
// The answer to one remote call: the method's value and the arguments it was given by
// reference, as they stand after the call, or a JSON-RPC error.
//
//   {"jsonrpc":"2.0","id":7,"result":{"value":"","refs":{"0":"42"}}}
//   {"jsonrpc":"2.0","id":7,"error":{"code":-32601,"message":"..."}}

#include <QJsonValue>
#include <QMap>
#include <QString>
#include <QVariant>

namespace Kav::Rpc {

struct RpcResponse
{
    QJsonValue id;
    QByteArray rawId; // when set, the request's id as its client wrote it, sent in place of `id`
    QVariant value;
    QMap<int, QVariant> refs; // by-reference arguments by position
    int errorCode = 0;        // 0: success
    QString errorMessage;

    bool isError() const { return errorCode != 0; }

    static RpcResponse success(const QJsonValue& id, const QVariant& value,
                               const QMap<int, QVariant>& refs = {});
    static RpcResponse failure(const QJsonValue& id, int code, const QString& message);

    // This answer with the id exactly as `request` gave it.
    RpcResponse answering(const QByteArray& requestRawId) const;

    // A value the protocol cannot carry turns the answer into an InternalError naming it.
    QByteArray toLine() const;
    // The answer as a JSON object, for a batch's array of answers (ends without a newline).
    QByteArray toJson() const;

    // Throws RpcError(ParseError or InvalidRequest) for an answer that is not well formed.
    static RpcResponse parse(const QByteArray& line);
};

} // namespace Kav::Rpc
