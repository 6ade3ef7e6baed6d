#include "Kavenso.h"

namespace Kavenso {

namespace {
Session& session()
{
    static Session current;
    return current;
}
} // namespace

void SetSession(const Session& newSession)
{
    session() = newSession;
}

const Session& CurrentSession()
{
    return session();
}

QString FiliProc()
{
    return session().filial;
}

QString WebURL()
{
    return session().webUrl;
}

int WebPort()
{
    return session().webPort;
}

} // namespace Kavenso
