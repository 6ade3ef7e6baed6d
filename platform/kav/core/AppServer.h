#pragma once
// The application-server object of a connection: remote methods are called on it by name.

#include "CallWait.h"
#include "RemoteArg.h"

#include <QList>
#include <QPointer>

class TNetConnection;

namespace Kav {

class AppServer
{
public:
    explicit AppServer(TNetConnection* connection) : m_connection(connection) {}

    // Calls `method` of the connection's server object and waits for the answer; by-reference
    // arguments receive what the server hands back. Throws Kav::Exception when the connection
    // cannot be made, drops, times out or the server reports an error.
    // `activity` tells the user what is being waited for (see TNetConnection::call).
    QVariant call(const QString& method, const QList<RemoteArg>& args = {},
                  const CallActivity& activity = {}) const;

private:
    QPointer<TNetConnection> m_connection;
};

} // namespace Kav
