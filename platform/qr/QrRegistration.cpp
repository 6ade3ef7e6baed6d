#include "QrRegistration.h"

#include "TReportDesignerDialog.h"
#include "WidgetRegistry.h"

namespace Qr {

void registerReportClasses()
{
    Kav::addClientObject<TReportDesignerDialog>(QStringLiteral("TReportDesignerDialog"));
}

} // namespace Qr
