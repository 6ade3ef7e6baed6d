// Feeds arbitrary JSON to the typed-value decoder. A malformed value may be refused with an
// RpcError; a value it accepts must encode again (a by-reference argument goes back to its
// caller) and decode to the same value.

#include "RpcError.h"
#include "RpcValue.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <QJsonArray>
#include <QJsonDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Wrapped in an array, so that a bare value (a number, a text) is a document too.
    const QByteArray text = '[' + QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)) + ']';
    const QJsonDocument document = QJsonDocument::fromJson(text);
    if (!document.isArray() || document.array().size() != 1)
        return 0;
    const QJsonValue json = document.array().first();
    QVariant value;
    try {
        value = Kav::Rpc::decodeValue(json);
    } catch (const Kav::Rpc::RpcError&) {
        return 0;
    }
    try {
        if (Kav::Rpc::decodeValue(Kav::Rpc::encodeValue(value)) != value)
            std::abort();
    } catch (const Kav::Rpc::RpcError&) {
        std::abort();
    }
    return 0;
}
