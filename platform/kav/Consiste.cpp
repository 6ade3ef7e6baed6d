#include "Consiste.h"

#include "DialogService.h"
#include "KavException.h"

namespace Consiste {

void MensErro(const QString& text, bool abort)
{
    Kav::DialogService::instance().showError(text);
    if (abort)
        throw Kav::SilentAbort(text);
}

} // namespace Consiste
