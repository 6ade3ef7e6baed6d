#include "ColumnBlocks.h"

#include "Qrddlgs.h"
#include "TParams.h"

#include <algorithm>
#include <QStringList>

namespace Qr {

namespace {

QString valueOf(const TParams& params, const QString& name)
{
    return Qrddlgs::ExistParam(params, name) ? params.ParamByName(name).AsString() : QString();
}

} // namespace

QString ColumnBlocks::parameterName(int n) const
{
    return prefix + QString::number(n);
}

int ColumnBlocks::valueCount(const TParams& params) const
{
    int count = 0;
    while (!valueOf(params, parameterName(count + 1)).trimmed().isEmpty())
        ++count;
    return count;
}

int ColumnBlocks::blockCount(const TParams& params) const
{
    return std::max(1, (valueCount(params) + size - 1) / size);
}

void ColumnBlocks::applyBlock(TParams& params, int block) const
{
    if (block == 0)
        return;
    // Read before written: the block's values come from parameters past the first block.
    QStringList values;
    for (int k = 1; k <= size; ++k)
        values.append(valueOf(params, parameterName(block * size + k)));
    for (int k = 1; k <= size; ++k) {
        const QString name = parameterName(k);
        if (!Qrddlgs::ExistParam(params, name))
            params.Add(name, TFieldType::ftString);
        params.ParamByName(name).setAsString(values[k - 1]);
    }
}

QString ColumnBlocks::blockRange(int block, int valueCount) const
{
    if (valueCount <= size)
        return {};
    const int first = block * size + 1;
    const int last = std::min(valueCount, first + size - 1);
    if (first == last)
        return QStringLiteral("%1 de %2").arg(first).arg(valueCount);
    return QStringLiteral("%1 a %2 de %3").arg(first).arg(last).arg(valueCount);
}

} // namespace Qr
