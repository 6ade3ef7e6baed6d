#pragma once
// One remote call as it travels from client to server: a compact JSON-RPC 2.0 object on one line.
//
//   {"jsonrpc":"2.0","id":7,"method":"Zve41300.rdmNutriCard.DelNutriCard","params":[{"ref":"42"}]}
//
// The method names the server object and the method, split at the last dot; a method without a
// dot goes to the object the connection chose with "rpc.use". Arguments are positional typed
// values (RpcValue.h); one wrapped as {"ref": value} is passed by reference and comes back with
// the answer.

#include <QJsonDocument>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QVariant>

namespace Kav::Rpc {

struct RpcRequest
{
    QJsonValue id;    // Undefined for a notification, which gets no answer
    QByteArray rawId; // the id as the client wrote it, echoed in the answer (a number exactly)
    QString object;   // empty: the connection's object
    QString method;
    QVariantList args;
    QList<int> byRef; // positions (from 0) of the arguments passed by reference
    // Why the arguments cannot be taken (given by name, a malformed typed value); empty when they
    // can. Refused (InvalidParams) only once the method is known to exist: an unknown method is
    // the first thing wrong with such a call.
    QString paramsRefusal;

    bool isNotification() const { return id.isUndefined(); }
    bool isByRef(int position) const { return byRef.contains(position); }
    // "Object.Method", or the method alone.
    QString qualifiedMethod() const;

    QByteArray toLine() const;

    // Throws RpcError (ParseError or InvalidRequest). `id` receives the request's
    // id as soon as it is known, so that even a refusal can be answered to the right call; it is
    // left Undefined for a well-formed notification, whose refusal is not answered. A batch is
    // split first (RpcBatch.h); here an array is an invalid request.
    static RpcRequest parse(const QByteArray& line, QJsonValue& id);

    // The line decoded as JSON text (StrictJson.h), an object or an array. Throws
    // RpcError(ParseError) for a line that is not JSON text (malformed, not UTF-8, led by a
    // byte-order mark, holding a lone surrogate escape); RpcError(InvalidRequest) for a bare
    // value, which is JSON but no request.
    static QJsonValue readJson(const QByteArray& line);
};

} // namespace Kav::Rpc
