#include "Consiste.h"

#include "ClientContext.h"
#include "DialogService.h"
#include "KavException.h"

namespace Consiste {

void MensErro(const QString& text, bool abort)
{
    Kav::dialogs().showError(text);
    if (abort)
        throw Kav::SilentAbort(text);
}

} // namespace Consiste
