#pragma once
// The application servers a client may reach, in the order it tries them: "host:port" entries
// separated by commas. One entry is the usual case (one server, or the balancer in front of
// several); with more, a connect goes to the first that answers a call within a few seconds (a
// stopped server's kernel still accepts connections). An entry without a port takes
// the configured one; an IPv6 address with a port comes in brackets ("[::1]:8211").

#include <functional>
#include <optional>
#include <QList>
#include <QString>

namespace Kav {

struct ServerAddress
{
    QString host;
    int port = 0;

    // "host:port", the host in brackets when it is an IPv6 address.
    QString toString() const;
};

class ServerList
{
public:
    static constexpr int kMaxPort = 65535;

    // Empty when `text` holds no entry or an entry that is not HOST[:PORT] with a port in range.
    static std::optional<ServerList> parse(const QString& text, int defaultPort);

    const QList<ServerAddress>& addresses() const { return m_addresses; }
    // The entries joined by commas, each with its port: parse() reads it back as it was.
    QString toString() const;

    // Hands each address in order to `connect`, which answers an empty text when it connected
    // and why not otherwise, until one connects. Empty when one did; else every reason, one a
    // line.
    QString connectFirst(const std::function<QString(const ServerAddress&)>& connect) const;

private:
    QList<ServerAddress> m_addresses;
};

} // namespace Kav
