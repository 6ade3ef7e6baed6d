#include "BenchStats.h"

#include <algorithm>
#include <cmath>

namespace BenchStats {

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

double percentile(QList<double> values, double percent)
{
    constexpr double kAll = 100.0;
    if (values.isEmpty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto rank = qsizetype(std::ceil(percent / kAll * double(values.size())));
    return values[std::clamp<qsizetype>(rank - 1, 0, values.size() - 1)];
}

} // namespace BenchStats
