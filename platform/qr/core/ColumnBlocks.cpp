#include "ColumnBlocks.h"

#include "Qrddlgs.h"
#include "TParams.h"

namespace Qr {

QString ColumnBlocks::parameterName(int n) const
{
    return prefix + QString::number(n);
}

bool ColumnBlocks::applyBlock(TParams& params, int block) const
{
    if (block == 0)
        return true;
    const QString first = parameterName(block * size + 1);
    if (!Qrddlgs::ExistParam(params, first) || params.ParamByName(first).AsString().trimmed().isEmpty())
        return false;
    for (int k = 1; k <= size; ++k) {
        const QString source = parameterName(block * size + k);
        params.ParamByName(parameterName(k))
            .setAsString(Qrddlgs::ExistParam(params, source) ? params.ParamByName(source).AsString()
                                                             : QString());
    }
    return true;
}

} // namespace Qr
