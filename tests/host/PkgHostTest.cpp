// A package for the loader's tests: entries that count their calls or fail in each way an
// entry can.

#include "KavException.h"

#include <stdexcept>

namespace {
int calls = 0;
}

extern "C" {

Q_DECL_EXPORT void IniProc()
{
    ++calls;
}

Q_DECL_EXPORT int CallCount()
{
    return calls;
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
