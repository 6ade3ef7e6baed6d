#include "QrRegistration.h"

#include "ClassRegistry.h"
#include "TReportDesignerDialog.h"

namespace Qr {

void registerReportClasses()
{
    Kav::ClassRegistry::instance().addObject<TReportDesignerDialog>(QStringLiteral("TReportDesignerDialog"));
}

} // namespace Qr
