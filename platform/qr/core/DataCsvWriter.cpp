#include "DataCsvWriter.h"

#include "CsvRenderer.h"

#include "KavException.h"
#include "SystemFailure.h"

#include <algorithm>
#include <cmath>
#include <QDate>
#include <QDateTime>
#include <QSaveFile>

namespace Qr {

namespace {

constexpr QChar kDataCsvSeparator = QLatin1Char(';');
constexpr QChar kDecimalComma = QLatin1Char(',');
const QLatin1String kLineEnd("\r\n");
// Significant digits a double holds: the number as stored, without the noise past them
// (0.30000000000000004 is 0.3); trailing zeros are dropped.
constexpr int kSignificantDigits = 15;

// Every text is quoted, so that a code stays a text ("00001") for a reader that keeps quoted
// fields as texts.
QString quoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString csvNumber(double value)
{
    const int integerDigits = value == 0 ? 1 : std::max(1, int(std::floor(std::log10(std::abs(value)))) + 1);
    QString text = QString::number(value, 'f', std::max(0, kSignificantDigits - integerDigits));
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text == QLatin1String("-0"))
        return QStringLiteral("0");
    return text.replace(QLatin1Char('.'), kDecimalComma);
}

} // namespace

QString DataCsvWriter::field(const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return csvNumber(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        // A date the database holds as a timestamp at midnight is a day.
        return dateTime.time() == QTime(0, 0) ? dateTime.date().toString(Qt::ISODate)
                                              : dateTime.toString(Qt::ISODate);
    }
    default:
        return quoted(value.toString());
    }
}

QString DataCsvWriter::toCsv(const ReportData& data)
{
    QStringList header;
    for (const QString& column : data.columns)
        header.append(quoted(column.toLower()));
    QString out = header.join(kDataCsvSeparator) + kLineEnd;
    for (const QVariantList& row : data.rows) {
        QStringList fields;
        for (const QVariant& value : row)
            fields.append(field(value));
        out += fields.join(kDataCsvSeparator) + kLineEnd;
    }
    return out;
}

void DataCsvWriter::writeFile(const ReportData& data, const QString& fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(Utf8ByteOrderMark) < 0 ||
        file.write(toCsv(data).toUtf8()) < 0 || !file.commit())
        throw Kav::Exception(Kav::cannotWrite(file));
}

} // namespace Qr
