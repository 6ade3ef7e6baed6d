#include "XlsxWriter.h"

#include "KavException.h"
#include "SystemFailure.h"
#include "ValueFormatter.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>
#include <xlsxwriter.h>

namespace Qr {

namespace {

const char kDataSheet[] = "Dados";
const char kHeadingSheet[] = "Relatório";
const char kDateFormat[] = "dd/mm/yyyy";
const char kDateTimeFormat[] = "dd/mm/yyyy hh:mm";
const char kWholeFormat[] = "0";
// Column widths in characters: room for the header and the longest text, within reason.
constexpr double kMinWidth = 8;
constexpr double kMaxWidth = 60;
constexpr double kWidthMargin = 2;
constexpr int kDateWidth = 10;     // dd/mm/yyyy
constexpr int kDateTimeWidth = 16; // dd/mm/yyyy hh:mm
constexpr lxw_col_t kLabelColumn = 0;
constexpr lxw_col_t kValueColumn = 1;

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

lxw_datetime spreadsheetTime(const QDateTime& moment)
{
    const QDate day = moment.date();
    const QTime time = moment.time();
    return lxw_datetime{day.year(),  day.month(),   day.day(),
                        time.hour(), time.minute(), double(time.second())};
}

bool isWholeNumber(const QVariant& value)
{
    return ValueFormatter::isNumeric(value) && value.typeId() != QMetaType::Double &&
           value.typeId() != QMetaType::Float;
}

// One workbook being written: its formats, made once, and the two sheets.
class Book
{
public:
    explicit Book(const QString& path) : m_book(workbook_new(QFile::encodeName(path).constData()))
    {
        if (!m_book)
            throw Kav::Exception(QStringLiteral("Não foi possível criar a planilha %1.").arg(path));
        m_header = workbook_add_format(m_book);
        format_set_bold(m_header);
        format_set_bottom(m_header, LXW_BORDER_THIN);
        m_date = numberFormat(kDateFormat);
        m_dateTime = numberFormat(kDateTimeFormat);
        m_text = workbook_add_format(m_book);
        format_set_num_format(m_text, "@");
    }
    ~Book()
    {
        if (m_book)
            workbook_close(m_book);
    }
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    void writeData(const ReportData& data, int decimals)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(m_book, kDataSheet);
        const auto columns = lxw_col_t(data.columns.size());
        for (lxw_col_t c = 0; c < columns; ++c) {
            worksheet_write_string(sheet, 0, c, utf8(data.columns[c].toLower()).constData(), m_header);
            worksheet_set_column(sheet, c, c, widthOf(data, c), nullptr);
        }
        QList<lxw_format*> numberFormats;
        for (lxw_col_t c = 0; c < columns; ++c)
            numberFormats.append(
                numberFormat(decimalPattern(XlsxWriter::decimalsOf(data, int(c), decimals))));
        for (qsizetype r = 0; r < data.rows.size(); ++r) {
            const QVariantList& row = data.rows[r];
            for (lxw_col_t c = 0; c < columns && c < lxw_col_t(row.size()); ++c)
                writeCell(sheet, lxw_row_t(r + 1), c, row[c], numberFormats[c]);
        }
        worksheet_freeze_panes(sheet, 1, 0);
        // Printed as the report is: landscape, one page wide, the header on every page, with the
        // grid, so that a printout reads like the screen.
        worksheet_set_landscape(sheet);
        worksheet_fit_to_pages(sheet, 1, 0);
        worksheet_repeat_rows(sheet, 0, 0);
        worksheet_gridlines(sheet, LXW_SHOW_ALL_GRIDLINES);
        if (columns > 0)
            worksheet_autofilter(sheet, 0, 0, lxw_row_t(data.rows.size()), columns - 1);
    }

    void writeHeading(const ReportHeading& heading)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(m_book, kHeadingSheet);
        worksheet_set_column(sheet, kLabelColumn, kLabelColumn, kMaxWidth / 2, nullptr);
        worksheet_set_column(sheet, kValueColumn, kValueColumn, kMaxWidth * 2, nullptr);
        lxw_row_t row = 0;
        worksheet_write_string(sheet, row++, kLabelColumn, utf8(heading.title).constData(), m_header);
        for (const QString& line : heading.lines) {
            // "Período: 01/03/2025 a 31/03/2025" as a label and its value.
            const qsizetype colon = line.indexOf(QLatin1String(": "));
            if (colon > 0) {
                worksheet_write_string(sheet, row, kLabelColumn, utf8(line.left(colon)).constData(), nullptr);
                worksheet_write_string(sheet, row, kValueColumn, utf8(line.mid(colon + 2)).constData(),
                                       nullptr);
            } else {
                worksheet_write_string(sheet, row, kLabelColumn, utf8(line).constData(), nullptr);
            }
            ++row;
        }
        if (heading.notes.isEmpty())
            return;
        worksheet_write_string(sheet, ++row, kLabelColumn, "Notas", m_header);
        for (const QString& note : heading.notes)
            worksheet_write_string(sheet, ++row, kLabelColumn, utf8(note).constData(), nullptr);
    }

    // Finishes the file; the libxlsxwriter error, LXW_NO_ERROR when written.
    lxw_error close()
    {
        const lxw_error error = workbook_close(m_book);
        m_book = nullptr;
        return error;
    }

private:
    lxw_format* numberFormat(const QByteArray& pattern)
    {
        if (lxw_format* known = m_numberFormats.value(pattern))
            return known;
        lxw_format* format = workbook_add_format(m_book);
        format_set_num_format(format, pattern.constData());
        m_numberFormats.insert(pattern, format);
        return format;
    }

    static QByteArray decimalPattern(int decimals)
    {
        return decimals == 0 ? QByteArray("#,##0") : "#,##0." + QByteArray(decimals, '0');
    }

    static double widthOf(const ReportData& data, lxw_col_t column)
    {
        qsizetype widest = data.columns[column].size();
        for (const QVariantList& row : data.rows) {
            const QVariant& value = row.value(column);
            if (value.typeId() == QMetaType::QString)
                widest = std::max(widest, value.toString().size());
            else if (ValueFormatter::isDate(value))
                widest = std::max(
                    widest, qsizetype(value.typeId() == QMetaType::QDate ? kDateWidth : kDateTimeWidth));
            else if (ValueFormatter::isNumeric(value))
                widest = std::max(widest, ValueFormatter::format(value).size());
        }
        return std::clamp(double(widest) + kWidthMargin, kMinWidth, kMaxWidth);
    }

    void writeCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const QVariant& value,
                   lxw_format* decimals)
    {
        if (value.isNull())
            return;
        if (value.typeId() == QMetaType::QDate) {
            lxw_datetime day = spreadsheetTime(value.toDate().startOfDay());
            worksheet_write_datetime(sheet, row, column, &day, m_date);
        } else if (value.typeId() == QMetaType::QDateTime) {
            const QDateTime moment = value.toDateTime();
            lxw_datetime time = spreadsheetTime(moment);
            worksheet_write_datetime(sheet, row, column, &time,
                                     moment.time() == QTime(0, 0) ? m_date : m_dateTime);
        } else if (isWholeNumber(value)) {
            worksheet_write_number(sheet, row, column, value.toDouble(), numberFormat(kWholeFormat));
        } else if (ValueFormatter::isNumeric(value)) {
            worksheet_write_number(sheet, row, column, value.toDouble(), decimals);
        } else {
            // Codes are texts: "00001" stays as it is.
            worksheet_write_string(sheet, row, column, utf8(value.toString()).constData(), m_text);
        }
    }

    lxw_workbook* m_book;
    lxw_format* m_header = nullptr;
    lxw_format* m_date = nullptr;
    lxw_format* m_dateTime = nullptr;
    lxw_format* m_text = nullptr;
    QHash<QByteArray, lxw_format*> m_numberFormats;
};

// The permissions a new file of the user gets (a temporary file is made private).
constexpr QFileDevice::Permissions kNewFilePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

} // namespace

int XlsxWriter::decimalsOf(const ReportData& data, int column, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    int shown = 0;
    for (const QVariantList& row : data.rows) {
        const QVariant& value = row.value(column);
        if (!ValueFormatter::isNumeric(value) || isWholeNumber(value))
            continue;
        // The value as the report rounds it, then the decimals left once zeros are dropped.
        const auto scaled = qint64(std::llround(std::abs(value.toDouble()) * scale));
        int needed = decimals;
        for (qint64 rest = scaled; needed > 0 && rest % 10 == 0; rest /= 10)
            --needed;
        shown = std::max(shown, needed);
    }
    return shown;
}

void XlsxWriter::writeFile(const ReportData& data, const ReportHeading& heading, int decimals,
                           const QString& fileName)
{
    const QFileInfo target(fileName);
    QTemporaryFile temporary(
        target.absoluteDir().filePath(QStringLiteral(".%1-XXXXXX").arg(target.fileName())));
    if (!temporary.open())
        throw Kav::Exception(Kav::cannotWrite(QFile(fileName))); // why, told of the file asked for
    temporary.close();
    Book book(temporary.fileName());
    book.writeData(data, decimals);
    book.writeHeading(heading);
    if (const lxw_error error = book.close(); error != LXW_NO_ERROR)
        throw Kav::Exception(QStringLiteral("Não foi possível gravar a planilha %1: %2")
                                 .arg(fileName, QString::fromUtf8(lxw_strerror(error))));
    temporary.setPermissions(target.exists() ? QFile::permissions(fileName) : kNewFilePermissions);
    // Replaces the earlier file at once: a reader never meets half a workbook.
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(fileName).constData()) != 0)
        throw Kav::Exception(
            QStringLiteral("Não foi possível gravar %1: %2.")
                .arg(QDir::toNativeSeparators(fileName), QString::fromLocal8Bit(std::strerror(errno))));
    temporary.setAutoRemove(false);
}

} // namespace Qr
