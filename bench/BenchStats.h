#pragma once
// Summaries of repeated timings: the median that benchmarks report, and percentiles of call
// latencies under load.

#include <QList>

namespace BenchStats {

// The median of `values`; 0 for none.
double median(QList<double> values);
// The value below which `percent` of `values` lie (nearest rank); 0 for none.
double percentile(QList<double> values, double percent);

} // namespace BenchStats
