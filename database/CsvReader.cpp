#include "CsvReader.h"

#include "KavException.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace KavDb {

namespace {

[[noreturn]] void fail(const QString& fileName, int line, const QString& why)
{
    throw Kav::Exception(QStringLiteral("%1, line %2: %3").arg(fileName).arg(line).arg(why));
}

// The text of UTF-8 bytes; a file of another encoding (Latin-1 "A\xe7\xfacar") would otherwise be
// stored with replacement characters.
QString utf8Text(const QByteArray& bytes, const QString& fileName)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (!decoder.hasError())
        return text;
    const QList<QByteArray> lines = bytes.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QStringDecoder lineDecoder(QStringDecoder::Utf8);
        const QString line = lineDecoder(lines[i]);
        if (lineDecoder.hasError())
            fail(fileName, i + 1,
                 QStringLiteral(
                     "the text is not UTF-8 (a Latin-1 file is read only when asked, with --latin1)"));
    }
    fail(fileName, int(lines.size()), QStringLiteral("the text is not UTF-8"));
}

} // namespace

CsvTable parseCsv(const QString& text, const QString& fileName)
{
    QList<QStringList> records;
    QList<int> startLines;
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    int recordLine = 1;
    const QChar quote = QLatin1Char('"');

    auto endField = [&] {
        record << field;
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        endField();
        if (!(record.size() == 1 && record.first().isEmpty())) { // blank lines are skipped
            records << record;
            startLines << recordLine;
        }
        record.clear();
    };

    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == quote) {
                if (i + 1 < text.size() && text[i + 1] == quote) {
                    field += quote;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
        } else if (c == quote && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\n')) {
            endRecord();
            recordLine = ++line;
        } else if (c != QLatin1Char('\r')) {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted)
        fail(fileName, recordLine, QStringLiteral("a quoted field is never closed"));
    if (fieldStarted || !record.isEmpty())
        endRecord();

    CsvTable table;
    if (records.isEmpty())
        fail(fileName, 1, QStringLiteral("the file is empty"));
    table.header = records.takeFirst();
    startLines.removeFirst();
    for (QString& name : table.header)
        name = name.trimmed();
    for (int i = 0; i < records.size(); ++i)
        if (records[i].size() != table.header.size())
            fail(fileName, startLines[i],
                 QStringLiteral("%1 fields where the header has %2")
                     .arg(records[i].size())
                     .arg(table.header.size()));
    table.rows = std::move(records);
    table.lines = std::move(startLines);
    return table;
}

CsvTable readCsvFile(const QString& path, TextEncoding encoding)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Kav::Exception(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    QString text = encoding == TextEncoding::Latin1 ? QString::fromLatin1(bytes)
                                                    : utf8Text(bytes, QFileInfo(path).fileName());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return parseCsv(text, QFileInfo(path).fileName());
}

} // namespace KavDb
