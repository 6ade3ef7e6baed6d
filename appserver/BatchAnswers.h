#pragma once
// Gathers the answers to one batch's calls, which finish in any order, into the one array the
// client gets back once the last call is done. Notifications count as done but add no answer; a
// batch of notifications only is answered with nothing at all.

#include <optional>
#include <QByteArray>

namespace Kav::Rpc {
struct RpcResponse;
}

namespace KavServer {

class BatchAnswers
{
public:
    explicit BatchAnswers(qsizetype calls) : m_waiting(calls) {}

    // The answer line once this was the batch's last call; nullopt before, and when no call of the
    // batch expects an answer.
    std::optional<QByteArray> add(const Kav::Rpc::RpcResponse& response);

private:
    qsizetype m_waiting;
    QByteArray m_array;
};

} // namespace KavServer
