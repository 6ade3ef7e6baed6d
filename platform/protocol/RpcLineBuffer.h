#pragma once
// Cuts the bytes arriving on a socket into protocol lines, refusing a line longer than a cap
// before it is ever held whole in memory.

#include <optional>
#include <QByteArray>

namespace Kav::Rpc {

// The longest request line a server accepts unless configured otherwise.
constexpr qsizetype kDefaultLineCap = 1024 * 1024;

class RpcLineBuffer
{
public:
    explicit RpcLineBuffer(qsizetype lineCap = kDefaultLineCap) : m_lineCap(lineCap) {}

    // Appends what arrived. Once a line outgrows the cap the buffer is overflowed for good: the
    // connection can no longer be read in step and must be answered and closed.
    void append(const QByteArray& bytes);

    // The next complete line without its end ("\n" or "\r\n"); nullopt when none is complete.
    // Blank lines are skipped.
    std::optional<QByteArray> takeLine();

    // The input ended: an unfinished last line is taken as it stands.
    void finish();

    bool overflowed() const { return m_overflowed; }
    // Bytes of an unfinished line are waiting (after any complete lines not yet taken).
    bool hasPartialLine() const { return unread() > 0 && !m_pending.endsWith('\n'); }
    // Nothing waits to be taken, not even part of a line.
    bool isEmpty() const { return unread() == 0; }
    qsizetype lineCap() const { return m_lineCap; }
    // Bytes received and not yet taken as lines.
    qsizetype pendingBytes() const { return unread(); }

private:
    qsizetype unread() const { return m_pending.size() - m_taken; }

    qsizetype m_lineCap;
    QByteArray m_pending;
    qsizetype m_taken = 0; // bytes of m_pending already taken as lines, dropped in bulk
    bool m_overflowed = false;
};

} // namespace Kav::Rpc
