#include "BatchAnswers.h"

#include "RpcResponse.h"

namespace KavServer {

std::optional<QByteArray> BatchAnswers::add(const Kav::Rpc::RpcResponse& response)
{
    if (!response.id.isUndefined())
        m_array += (m_array.isEmpty() ? '[' : ',') + response.toJson();
    if (--m_waiting > 0 || m_array.isEmpty())
        return std::nullopt;
    return m_array + "]\n";
}

} // namespace KavServer
