#pragma once
// What protects the listener: TLS from the configured certificate and private key, and the access
// token every client must present before its first call. On loopback both are optional; on any
// other address the server refuses to start without them.

#include <optional>
#include <QHostAddress>
#include <QSslConfiguration>

namespace KavServer {

struct ServerConfig;

class ServerSecurity
{
public:
    ServerSecurity() = default;

    // Throws Kav::Exception saying what is missing or unreadable. Never puts the token in a text.
    static ServerSecurity fromConfig(const ServerConfig& config);

    bool usesTls() const { return m_tls.has_value(); }
    const QSslConfiguration& tls() const { return *m_tls; }
    bool requiresToken() const { return !m_token.isEmpty(); }
    // Compares in time independent of where the texts differ.
    bool acceptsToken(const QString& token) const;

private:
    std::optional<QSslConfiguration> m_tls;
    QByteArray m_token;
};

} // namespace KavServer
