#pragma once
// What the server holds for its clients in memory, across connections: answers not yet sent and
// requests received but not yet taken as calls. Past its limit, every connection holding more than
// its small share is read no further until the total falls back under the limit, so a crowd of
// clients that send and never read cannot take the server's memory (one such client is already
// held back by its connection's own cap).

#include <QObject>

namespace KavServer {

class ServerMemory : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kDefaultLimitBytes = 64 * 1024 * 1024;
    // What any connection may hold while the server is past its limit.
    static constexpr qint64 kShareBytes = 64 * 1024;

    explicit ServerMemory(qint64 limitBytes = kDefaultLimitBytes, QObject* parent = nullptr)
        : QObject(parent), m_limit(limitBytes)
    {}

    // A connection's bytes went from `before` to `now`.
    void change(qint64 before, qint64 now);
    bool isPastLimit() const { return m_used > m_limit; }
    qint64 used() const { return m_used; }

signals:
    void relieved(); // back under the limit: held connections may be read again

private:
    qint64 m_limit;
    qint64 m_used = 0;
};

} // namespace KavServer
