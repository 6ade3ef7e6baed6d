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

// How the bytes of a file are read as text. Latin-1 is never guessed: a file that is not UTF-8 is
// refused unless its reader was told it is Latin-1.
enum class TextEncoding { Utf8, Latin1 };

// Reads the file (UTF-8, an optional byte-order mark is skipped, or Latin-1 when asked) and parses
// it. Throws Kav::Exception naming the file and the first line that is not UTF-8.
CsvTable readCsvFile(const QString& path, TextEncoding encoding = TextEncoding::Utf8);

} // namespace KavDb
