#include "RpcLineBuffer.h"

namespace Kav::Rpc {

void RpcLineBuffer::append(const QByteArray& bytes)
{
    if (m_overflowed)
        return;
    m_pending.append(bytes);
    // Only the unfinished tail counts against the cap; complete lines are each checked as taken.
    const qsizetype lastEnd = m_pending.lastIndexOf('\n');
    if (m_pending.size() - (lastEnd + 1) > m_lineCap)
        m_overflowed = true;
}

std::optional<QByteArray> RpcLineBuffer::takeLine()
{
    while (!m_overflowed) {
        const qsizetype end = m_pending.indexOf('\n');
        if (end < 0)
            return std::nullopt;
        QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.size() > m_lineCap) {
            m_overflowed = true;
            break;
        }
        if (!line.trimmed().isEmpty())
            return line;
    }
    m_pending.clear();
    return std::nullopt;
}

} // namespace Kav::Rpc
