#include "RpcRequest.h"

#include "RpcError.h"
#include "RpcJsonText.h"
#include "RpcValue.h"

#include <algorithm>
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

// An escape such as "\ud800" decodes to half a character: text no database or screen can hold.
bool holdsLoneSurrogate(const QJsonValue& value)
{
    if (value.isString())
        return !QStringView(value.toString()).isValidUtf16();
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        return std::any_of(array.begin(), array.end(),
                           [](const QJsonValue& v) { return holdsLoneSurrogate(v); });
    }
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!QStringView(it.key()).isValidUtf16() || holdsLoneSurrogate(it.value()))
            return true;
    }
    return false;
}

bool isBareValue(const QByteArray& line)
{
    const QJsonDocument wrapped = QJsonDocument::fromJson('[' + line + ']');
    return wrapped.isArray() && wrapped.array().size() == 1;
}

} // namespace

QJsonDocument RpcRequest::readDocument(const QByteArray& line)
{
    if (line.startsWith("\xEF\xBB\xBF"))
        throw RpcError(ParseError, QStringLiteral("malformed JSON: a byte-order mark leads the line"));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (isBareValue(line))
            throw RpcError(InvalidRequest, QStringLiteral("a request must be a JSON object"));
        throw RpcError(ParseError, QStringLiteral("malformed JSON: %1").arg(parseError.errorString()));
    }
    const QJsonValue root = document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    if (holdsLoneSurrogate(root))
        throw RpcError(ParseError, QStringLiteral("malformed JSON: a text holds a lone surrogate escape"));
    return document;
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
    const QJsonDocument document = readDocument(line);
    if (document.isArray())
        throw RpcError(InvalidRequest, QStringLiteral("a request must be a JSON object"));
    const QJsonObject message = document.object();
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
    if (!params.isUndefined() && !params.isArray())
        throw RpcError(InvalidParams, QStringLiteral("arguments must be given by position, as an array"));

    RpcRequest request;
    request.id = messageId;
    if (!messageId.isUndefined())
        request.rawId = JsonText::memberValue(line, QStringLiteral("id"));
    const QString qualified = method.toString();
    const qsizetype dot = qualified.lastIndexOf(QLatin1Char('.'));
    request.object = dot < 0 ? QString() : qualified.left(dot);
    // "Object." is a well-formed request for a method no object has.
    request.method = qualified.mid(dot + 1);
    const QJsonArray values = params.toArray();
    for (int i = 0; i < values.size(); ++i) {
        const bool byRef = isByRefWrapper(values[i]);
        if (byRef)
            request.byRef.append(i);
        const QVariant value = decodeValue(byRef ? values[i].toObject().value(kRefTag) : values[i]);
        // A NUL ends the text where a database client library reads it as a C string: the
        // statement would be cut short. No code or list of the methods can hold one.
        if (value.metaType().id() == QMetaType::QString && value.toString().contains(QChar(0)))
            throw RpcError(InvalidParams, QStringLiteral("argument %1 holds a NUL character").arg(i + 1));
        request.args.append(value);
    }
    return request;
}

} // namespace Kav::Rpc
