#include "SupportWidgets.h"

namespace Kav {

void registerSupportWidgets()
{
}

} // namespace Kav
