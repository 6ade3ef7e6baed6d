#include "Registration.h"

namespace Kav {

void registerDataClasses()
{
}

} // namespace Kav
