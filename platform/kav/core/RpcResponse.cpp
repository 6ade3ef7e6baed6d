#include "RpcResponse.h"

#include "RpcError.h"
#include "RpcValue.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace Kav::Rpc {

namespace {

QJsonObject envelope(const QJsonValue& id)
{
    return QJsonObject{{QLatin1String("jsonrpc"), QLatin1String("2.0")},
                       {QLatin1String("id"), id.isUndefined() ? QJsonValue(QJsonValue::Null) : id}};
}

QByteArray compactLine(const QJsonObject& message)
{
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray errorLine(const QJsonValue& id, int code, const QString& message)
{
    QJsonObject object = envelope(id);
    object.insert(QLatin1String("error"),
                  QJsonObject{{QLatin1String("code"), code}, {QLatin1String("message"), message}});
    return compactLine(object);
}

} // namespace

RpcResponse RpcResponse::success(const QJsonValue& id, const QVariant& value, const QMap<int, QVariant>& refs)
{
    RpcResponse response;
    response.id = id;
    response.value = value;
    response.refs = refs;
    return response;
}

RpcResponse RpcResponse::failure(const QJsonValue& id, int code, const QString& message)
{
    RpcResponse response;
    response.id = id;
    response.errorCode = code;
    response.errorMessage = message;
    return response;
}

QByteArray RpcResponse::toLine() const
{
    if (isError())
        return errorLine(id, errorCode, errorMessage);
    try {
        QJsonObject result{{QLatin1String("value"), encodeValue(value)}};
        if (!refs.isEmpty()) {
            QJsonObject refValues;
            for (auto it = refs.cbegin(); it != refs.cend(); ++it)
                refValues.insert(QString::number(it.key()), encodeValue(it.value()));
            result.insert(QLatin1String("refs"), refValues);
        }
        QJsonObject object = envelope(id);
        object.insert(QLatin1String("result"), result);
        return compactLine(object);
    } catch (const RpcError& error) {
        return errorLine(id, InternalError,
                         QStringLiteral("the answer cannot be sent: %1").arg(error.message()));
    }
}

RpcResponse RpcResponse::parse(const QByteArray& line)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        throw RpcError(ParseError, QStringLiteral("the server's answer is not a JSON object"));
    const QJsonObject message = document.object();
    RpcResponse response;
    response.id = message.value(QLatin1String("id"));
    if (message.contains(QLatin1String("error"))) {
        const QJsonObject error = message.value(QLatin1String("error")).toObject();
        response.errorCode = error.value(QLatin1String("code")).toInt(InternalError);
        if (response.errorCode == 0)
            response.errorCode = InternalError;
        response.errorMessage = error.value(QLatin1String("message")).toString();
        return response;
    }
    const QJsonValue result = message.value(QLatin1String("result"));
    if (!result.isObject() || !result.toObject().contains(QLatin1String("value")))
        throw RpcError(InvalidRequest,
                       QStringLiteral("the server's answer carries neither a result nor an error"));
    try {
        response.value = decodeValue(result.toObject().value(QLatin1String("value")));
        const QJsonObject refs = result.toObject().value(QLatin1String("refs")).toObject();
        for (auto it = refs.begin(); it != refs.end(); ++it) {
            bool isNumber = false;
            const int position = it.key().toInt(&isNumber);
            if (!isNumber || position < 0)
                throw RpcError(InvalidRequest,
                               QStringLiteral("by-reference position \"%1\" is not a number").arg(it.key()));
            response.refs.insert(position, decodeValue(it.value()));
        }
    } catch (const RpcError& error) {
        throw RpcError(InvalidRequest,
                       QStringLiteral("the server's answer is malformed: %1").arg(error.message()));
    }
    return response;
}

} // namespace Kav::Rpc
