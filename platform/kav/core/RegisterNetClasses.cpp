#include "Registration.h"

namespace Kav {

void registerNetClasses()
{
}

} // namespace Kav
