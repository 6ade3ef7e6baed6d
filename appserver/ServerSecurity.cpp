#include "ServerSecurity.h"

#include "KavException.h"
#include "ServerConfig.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

namespace KavServer {

namespace {

QByteArray readSecurityFile(const QString& path, const QString& what)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Kav::Exception(
            QStringLiteral("kavserver: cannot read the %1 %2: %3").arg(what, path, file.errorString()));
    return file.readAll();
}

QSslConfiguration tlsFrom(const ServerConfig& config)
{
    const QList<QSslCertificate> chain = QSslCertificate::fromData(
        readSecurityFile(config.certificateFile, QStringLiteral("certificate")), QSsl::Pem);
    if (chain.isEmpty())
        throw Kav::Exception(
            QStringLiteral("kavserver: %1 holds no PEM certificate").arg(config.certificateFile));
    const QByteArray keyPem = readSecurityFile(config.privateKeyFile, QStringLiteral("private key"));
    QSslKey key(keyPem, QSsl::Rsa, QSsl::Pem);
    if (key.isNull())
        key = QSslKey(keyPem, QSsl::Ec, QSsl::Pem);
    if (key.isNull())
        throw Kav::Exception(
            QStringLiteral("kavserver: %1 holds no unencrypted PEM private key").arg(config.privateKeyFile));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone); // clients prove themselves with the token
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    return tls;
}

} // namespace

ServerSecurity ServerSecurity::fromConfig(const ServerConfig& config)
{
    const bool hasCertificate = !config.certificateFile.isEmpty() || !config.privateKeyFile.isEmpty();
    if (!config.listen.isLoopback() && (!hasCertificate || config.accessToken.isEmpty()))
        throw Kav::Exception(
            QStringLiteral(
                "kavserver: listening on %1, which is not a loopback address, needs TLS and an access "
                "token: set Server/Certificate, Server/PrivateKey and Server/AccessTokenFile "
                "(or KAV_SERVER_TOKEN)")
                .arg(config.listen.toString()));
    ServerSecurity security;
    if (hasCertificate) {
        if (config.certificateFile.isEmpty() || config.privateKeyFile.isEmpty())
            throw Kav::Exception(
                QStringLiteral("kavserver: TLS needs both Server/Certificate and Server/PrivateKey"));
        security.m_tls = tlsFrom(config);
    }
    security.m_token = config.accessToken.toUtf8();
    return security;
}

bool ServerSecurity::acceptsToken(const QString& token) const
{
    // Digests of equal length, compared in full, leak nothing of where a guess goes wrong.
    const QByteArray expected = QCryptographicHash::hash(m_token, QCryptographicHash::Sha256);
    const QByteArray given = QCryptographicHash::hash(token.toUtf8(), QCryptographicHash::Sha256);
    unsigned char difference = 0;
    for (qsizetype i = 0; i < expected.size(); ++i)
        difference |= static_cast<unsigned char>(expected[i] ^ given[i]);
    return difference == 0 && !m_token.isEmpty();
}

} // namespace KavServer
