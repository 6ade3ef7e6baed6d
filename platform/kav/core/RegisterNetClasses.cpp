#include "Registration.h"

#include "ClassRegistry.h"
#include "TNetConnection.h"

namespace Kav {

void registerNetClasses()
{
    ClassRegistry::instance().addObject<TNetConnection>(QStringLiteral("TNetConnection"));
}

} // namespace Kav
