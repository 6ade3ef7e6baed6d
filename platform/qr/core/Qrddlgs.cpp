#include "Qrddlgs.h"

#include "TParams.h"

namespace Qr {

namespace Qrddlgs {

bool ExistParam(const TParams& params, const QString& name)
{
    return name.size() <= MaxParamNameLength && params.FindParam(name) != nullptr;
}

} // namespace Qrddlgs

} // namespace Qr
