#include "FormClasses.h"

#include "QrRegistration.h"
#include "Registration.h"
#include "StandardWidgets.h"
#include "SupportWidgets.h"

namespace Frm {

void registerAllClasses()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    Kav::registerDataClasses();
    Kav::registerNetClasses();
    Kav::registerStandardWidgets();
    Kav::registerSupportWidgets();
    Qr::registerReportClasses();
}

} // namespace Frm
