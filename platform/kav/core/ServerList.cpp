#include "ServerList.h"

#include <QStringList>

namespace Kav {

namespace {

constexpr QChar kSeparator = QLatin1Char(',');
constexpr QChar kColon = QLatin1Char(':');

// One entry: "host", "host:port", "[v6]", "[v6]:port", or a bare IPv6 address (more than one
// colon, no brackets), which then carries no port.
std::optional<ServerAddress> parseEntry(const QString& entry, int defaultPort)
{
    QString host = entry.trimmed();
    QString port;
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        const QString rest = host.mid(close + 1);
        if (close < 0 || (!rest.isEmpty() && (!rest.startsWith(kColon) || rest.size() == 1)))
            return std::nullopt;
        port = rest.mid(1);
        host = host.mid(1, close - 1);
    } else if (host.count(kColon) == 1) {
        port = host.section(kColon, 1);
        host = host.section(kColon, 0, 0);
        if (port.isEmpty())
            return std::nullopt;
    }
    bool portOk = true;
    const int portNumber = port.isEmpty() ? defaultPort : port.toInt(&portOk);
    if (host.isEmpty() || host.contains(QLatin1Char(' ')) || !portOk || portNumber < 1 ||
        portNumber > ServerList::kMaxPort)
        return std::nullopt;
    return ServerAddress{host, portNumber};
}

} // namespace

QString ServerAddress::toString() const
{
    const QString shown = host.contains(kColon) ? QStringLiteral("[%1]").arg(host) : host;
    return QStringLiteral("%1:%2").arg(shown).arg(port);
}

std::optional<ServerList> ServerList::parse(const QString& text, int defaultPort)
{
    ServerList list;
    for (const QString& entry : text.split(kSeparator)) {
        const std::optional<ServerAddress> address = parseEntry(entry, defaultPort);
        if (!address)
            return std::nullopt;
        list.m_addresses.append(*address);
    }
    return list;
}

QString ServerList::toString() const
{
    QStringList entries;
    for (const ServerAddress& address : m_addresses)
        entries.append(address.toString());
    return entries.join(kSeparator);
}

QString ServerList::connectFirst(const std::function<QString(const ServerAddress&)>& connect) const
{
    QStringList reasons;
    for (const ServerAddress& address : m_addresses) {
        const QString reason = connect(address);
        if (reason.isEmpty())
            return QString();
        reasons.append(reason);
    }
    return reasons.join(QLatin1Char('\n'));
}

} // namespace Kav
