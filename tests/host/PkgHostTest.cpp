// A package for the loader's tests: entries that count their calls, record the client context
// the host handed them, or fail in each way an entry can.

#include "KavException.h"

#include <stdexcept>

namespace Kav {
class ClientContext;
}

namespace {
int calls = 0;
Kav::ClientContext* given = nullptr;
Kav::ClientContext* atEntry = nullptr;
} // namespace

extern "C" {

Q_DECL_EXPORT void AttachClientContext(Kav::ClientContext* context)
{
    given = context;
}

Q_DECL_EXPORT void IniProc()
{
    ++calls;
    atEntry = given;
}

Q_DECL_EXPORT int CallCount()
{
    return calls;
}

Q_DECL_EXPORT const Kav::ClientContext* ContextAtEntry()
{
    return atEntry;
}

Q_DECL_EXPORT void ThrowsStd()
{
    throw std::runtime_error("broken entry");
}

Q_DECL_EXPORT void ThrowsKav()
{
    throw Kav::Exception(QStringLiteral("Filial não encontrada."));
}

Q_DECL_EXPORT void ThrowsInt()
{
    throw 42;
}
}
