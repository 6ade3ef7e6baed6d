#pragma once
// The rows a report's query returned, read once into memory: column names and values per row.

#include <QList>
#include <QStringList>
#include <QVariant>

struct ReportData
{
    QStringList columns;
    QList<QVariantList> rows;
};
