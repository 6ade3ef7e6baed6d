#include "RpcResponse.h"

#include "RpcError.h"
#include "RpcValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Kav::Rpc {

namespace {

QByteArray compactJson(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// The envelope is written by hand so that the id goes out exactly as the client wrote it.
QByteArray message(const QJsonValue& id, const QByteArray& rawId, const QJsonObject& body)
{
    const QByteArray idText = !rawId.isEmpty()   ? rawId
                              : id.isUndefined() ? QByteArray("null")
                                                 : compactJson(id);
    return R"({"jsonrpc":"2.0","id":)" + idText + ',' +
           QJsonDocument(body).toJson(QJsonDocument::Compact).mid(1);
}

QJsonObject errorBody(int code, const QString& message)
{
    return QJsonObject{{QLatin1String("error"),
                        QJsonObject{{QLatin1String("code"), code}, {QLatin1String("message"), message}}}};
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

RpcResponse RpcResponse::answering(const QByteArray& requestRawId) const
{
    RpcResponse response = *this;
    response.rawId = requestRawId;
    return response;
}

QByteArray RpcResponse::toLine() const
{
    return toJson() + '\n';
}

QByteArray RpcResponse::toJson() const
{
    if (isError())
        return message(id, rawId, errorBody(errorCode, errorMessage));
    try {
        QJsonObject result{{QLatin1String("value"), encodeValue(value)}};
        if (!refs.isEmpty()) {
            QJsonObject refValues;
            for (auto it = refs.cbegin(); it != refs.cend(); ++it)
                refValues.insert(QString::number(it.key()), encodeValue(it.value()));
            result.insert(QLatin1String("refs"), refValues);
        }
        return message(id, rawId, QJsonObject{{QLatin1String("result"), result}});
    } catch (const RpcError& error) {
        return message(
            id, rawId,
            errorBody(InternalError, QStringLiteral("the answer cannot be sent: %1").arg(error.message())));
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
