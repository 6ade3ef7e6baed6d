#include "AppServer.h"

#include "KavException.h"
#include "TNetConnection.h"

namespace Kav {

QVariant AppServer::call(const QString& method, const QList<RemoteArg>& args,
                         const CallActivity& activity) const
{
    if (!m_connection)
        throw Exception(QStringLiteral("A conexão com o servidor de aplicação não existe mais."));
    return m_connection->call(method, args, activity);
}

} // namespace Kav
