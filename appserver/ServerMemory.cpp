#include "ServerMemory.h"

namespace KavServer {

void ServerMemory::change(qint64 before, qint64 now)
{
    const bool wasPast = isPastLimit();
    m_used += now - before;
    if (wasPast && !isPastLimit())
        emit relieved();
}

} // namespace KavServer
