#include "RpcRequest.h"

#include "RpcError.h"
#include "RpcJsonText.h"
#include "RpcValue.h"
#include "StrictJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Kav::Rpc {

namespace {

const QLatin1String kRefTag("ref");

bool isValidId(const QJsonValue& id)
{
    return id.isString() || id.isDouble() || id.isNull();
}

bool isByRefWrapper(const QJsonValue& json)
{
    const QJsonObject object = json.toObject();
    return json.isObject() && object.size() == 1 && object.contains(kRefTag);
}

QVariantList decodeArgs(const QJsonArray& values, QList<int>& byRef)
{
    QVariantList args;
    for (int i = 0; i < values.size(); ++i) {
        const bool isRef = isByRefWrapper(values[i]);
        if (isRef)
            byRef.append(i);
        const QVariant value = decodeValue(isRef ? values[i].toObject().value(kRefTag) : values[i]);
        // A NUL ends the text where a database client library reads it as a C string: the
        // statement would be cut short. No code or list of the methods can hold one.
        if (value.metaType().id() == QMetaType::QString && value.toString().contains(QChar(0)))
            throw RpcError(InvalidParams, QStringLiteral("argument %1 holds a NUL character").arg(i + 1));
        args.append(value);
    }
    return args;
}

} // namespace

QJsonValue RpcRequest::readJson(const QByteArray& line)
{
    if (line.startsWith("\xEF\xBB\xBF"))
        throw RpcError(ParseError, QStringLiteral("malformed JSON: a byte-order mark leads the line"));
    const QJsonValue root = StrictJson::parse(line);
    if (!root.isObject() && !root.isArray())
        throw RpcError(InvalidRequest, QStringLiteral("a request must be a JSON object"));
    return root;
}

QString RpcRequest::qualifiedMethod() const
{
    return object.isEmpty() ? method : object + QLatin1Char('.') + method;
}

QByteArray RpcRequest::toLine() const
{
    QJsonArray params;
    for (int i = 0; i < args.size(); ++i) {
        const QJsonValue value = encodeValue(args[i]);
        params.append(isByRef(i) ? QJsonValue(QJsonObject{{kRefTag, value}}) : value);
    }
    QJsonObject message{{QLatin1String("jsonrpc"), QLatin1String("2.0")},
                        {QLatin1String("method"), qualifiedMethod()},
                        {QLatin1String("params"), params}};
    if (!isNotification())
        message.insert(QLatin1String("id"), id);
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

RpcRequest RpcRequest::parse(const QByteArray& line, QJsonValue& id)
{
    id = QJsonValue::Null;
    const QJsonValue root = readJson(line);
    if (root.isArray())
        throw RpcError(InvalidRequest, QStringLiteral("a request must be a JSON object"));
    const QJsonObject message = root.toObject();
    const QJsonValue messageId = message.value(QLatin1String("id"));
    if (!messageId.isUndefined() && isValidId(messageId))
        id = messageId;
    if (!messageId.isUndefined() && !isValidId(messageId))
        throw RpcError(InvalidRequest, QStringLiteral("the id must be a number, a text or null"));
    if (message.value(QLatin1String("jsonrpc")).toString() != QLatin1String("2.0"))
        throw RpcError(InvalidRequest, QStringLiteral("not a JSON-RPC 2.0 request"));
    const QJsonValue method = message.value(QLatin1String("method"));
    if (!method.isString() || method.toString().isEmpty())
        throw RpcError(InvalidRequest, QStringLiteral("the request names no method"));
    const QJsonValue params = message.value(QLatin1String("params"));
    if (!params.isUndefined() && !params.isArray() && !params.isObject())
        throw RpcError(InvalidRequest, QStringLiteral("params must be an array or an object"));
    // From here on the request is well formed: a notification is never answered, not even to
    // say that its arguments are wrong.
    id = messageId;

    RpcRequest request;
    if (params.isObject())
        request.paramsRefusal = QStringLiteral("arguments must be given by position, as an array");
    request.id = messageId;
    if (!messageId.isUndefined())
        request.rawId = JsonText::memberValue(line, QStringLiteral("id"));
    const QString qualified = method.toString();
    const qsizetype dot = qualified.lastIndexOf(QLatin1Char('.'));
    request.object = dot < 0 ? QString() : qualified.left(dot);
    // "Object." is a well-formed request for a method no object has.
    request.method = qualified.mid(dot + 1);
    try {
        request.args = decodeArgs(params.toArray(), request.byRef);
    } catch (const RpcError& error) {
        request.paramsRefusal = error.message();
        request.args = {};
        request.byRef = {};
    }
    return request;
}

} // namespace Kav::Rpc
