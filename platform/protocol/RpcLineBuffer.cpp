#include "RpcLineBuffer.h"

namespace Kav::Rpc {

void RpcLineBuffer::append(const QByteArray& bytes)
{
    if (m_overflowed)
        return;
    // Taken lines are dropped here, not one by one, so a buffer of many short lines is not moved
    // again for each.
    m_pending.remove(0, m_taken);
    m_taken = 0;
    m_pending.append(bytes);
    // Only the unfinished tail counts against the cap; complete lines are each checked as taken.
    const qsizetype lastEnd = m_pending.lastIndexOf('\n');
    if (m_pending.size() - (lastEnd + 1) > m_lineCap)
        m_overflowed = true;
}

std::optional<QByteArray> RpcLineBuffer::takeLine()
{
    while (!m_overflowed) {
        const qsizetype end = m_pending.indexOf('\n', m_taken);
        if (end < 0)
            return std::nullopt;
        QByteArray line = m_pending.mid(m_taken, end - m_taken);
        m_taken = end + 1;
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
    m_taken = 0;
    return std::nullopt;
}

void RpcLineBuffer::finish()
{
    if (hasPartialLine())
        append("\n");
}

} // namespace Kav::Rpc
