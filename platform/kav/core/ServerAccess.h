#pragma once
// How one client reaches its application server beyond host and port: the access token it
// presents, the certificate it trusts, and how long a call may take. The host fills it from its
// configuration into the client's context; every server connection made in that context starts
// with it, so two clients in one process may speak to different servers with different tokens.

#include <QString>

namespace Kav {

struct ServerAccess
{
    // A minute: long enough for a month's report to be prepared, short enough for a person
    // looking at the screen (who may also cancel sooner). The host's configuration may change it.
    static constexpr int kDefaultCallTimeoutMs = 60000;

    QString token;              // sent on connect when not empty
    QString trustedCertificate; // a PEM file; not empty: TLS, and only that server
    int callTimeoutMs = kDefaultCallTimeoutMs;
};

} // namespace Kav
