#pragma once
// The rows a report's query returned, read once into memory: column names and values per row.

#include <QList>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace Qr {

struct ReportData
{
    QStringList columns;
    QList<QVariantList> rows;
    // The rows of each of the layout's lists (ReportLayout::lists), in the same order.
    std::vector<ReportData> lists;
};

} // namespace Qr
