// Feeds arbitrary bytes to the strict JSON reader the server reads every request with. Anything
// may be refused with an RpcError; nothing may crash, leak or run away with the stack, and what it
// accepts must survive being written out and read again unchanged.

#include "RpcError.h"
#include "StrictJson.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Qt writes a number beyond a double's range as null: such a value cannot make the round trip.
bool allFinite(const QJsonValue& value)
{
    if (value.isDouble())
        return std::isfinite(value.toDouble());
    if (value.isArray()) {
        for (const QJsonValue& element : value.toArray())
            if (!allFinite(element))
                return false;
    }
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            if (!allFinite(it.value()))
                return false;
    }
    return true;
}

QByteArray written(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QJsonValue value;
    try {
        value = Kav::Rpc::StrictJson::parse(text);
    } catch (const Kav::Rpc::RpcError& error) {
        check(error.code() == Kav::Rpc::ParseError);
        return 0;
    }
    check(!value.isUndefined());
    if (allFinite(value))
        check(Kav::Rpc::StrictJson::parse(written(value)) == value);
    return 0;
}
