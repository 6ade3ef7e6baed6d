#include "DataCsvWriter.h"

#include "KavException.h"
#include "SystemFailure.h"

#include <QDate>
#include <QDateTime>
#include <QSaveFile>

namespace Qr {

namespace {

constexpr QChar kDataCsvSeparator = QLatin1Char(',');
const QLatin1String kLineEnd("\r\n");
// Decimals kept of a number that is not whole; trailing zeros are dropped.
constexpr int kDecimals = 6;

QString quoted(const QString& text)
{
    if (!text.contains(kDataCsvSeparator) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString csvNumber(double value)
{
    QString text = QString::number(value, 'f', kDecimals);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
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
    if (!file.open(QIODevice::WriteOnly) || file.write(toCsv(data).toUtf8()) < 0 || !file.commit())
        throw Kav::Exception(Kav::cannotWrite(file));
}

} // namespace Qr
