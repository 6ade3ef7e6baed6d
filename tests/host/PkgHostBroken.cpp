// A package built against code that is not there: its entry calls a function no library defines.

#include <QtGlobal>

void functionNoLibraryDefines();

extern "C" Q_DECL_EXPORT void IniProc()
{
    functionNoLibraryDefines();
}
