#include "ColumnMap.h"

namespace Qr {

ColumnMap::ColumnMap(const QStringList& columns)
{
    // A name returned twice is read from its first position, as a query's record does.
    for (qsizetype i = columns.size() - 1; i >= 0; --i)
        m_positions.insert(keyOf(columns[i]), int(i));
}

} // namespace Qr
