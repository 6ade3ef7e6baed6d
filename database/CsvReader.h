#pragma once
// Reads comma-separated text: quoted fields may hold commas, line breaks and doubled quotes.

#include <QList>
#include <QString>
#include <QStringList>

namespace KavDb {

struct CsvTable
{
    QStringList header;
    QList<QStringList> rows;
    QList<int> lines; // the text line each row starts on, for messages

    // The column of a header name, or -1.
    int column(const QString& name) const { return int(header.indexOf(name)); }
};

// Throws Kav::Exception naming `fileName` and the line for an unclosed quote or a row whose
// field count differs from the header's.
CsvTable parseCsv(const QString& text, const QString& fileName);

// Reads the file (UTF-8, an optional byte-order mark is skipped) and parses it.
CsvTable readCsvFile(const QString& path);

} // namespace KavDb
