#include "PgBinaryCopy.h"

#include "KavException.h"
#include "SqlNull.h"

#include <cstring>
#include <libpq-fe.h>
#include <limits>
#include <memory>
#include <QDate>
#include <QSqlDriver>
#include <QtEndian>

namespace KavServer::Zve41300 {

namespace {

// The format's signature, then its flags and the length of its header extension, both none.
constexpr char kSignature[] = "PGCOPY\n\377\r\n";
constexpr qint32 kNoFlags = 0;
constexpr qint32 kNoHeaderExtension = 0;
constexpr qint16 kEndOfData = -1;
constexpr qint32 kNullLength = -1;
// PostgreSQL counts dates in days from 2000-01-01.
const qint64 kPostgresEpochJulianDay = QDate(2000, 1, 1).toJulianDay();

template <class Number> void appendBigEndian(QByteArray& out, Number value)
{
    const Number big = qToBigEndian(value);
    out.append(reinterpret_cast<const char*>(&big), sizeof big);
}

// A length-prefixed 32-bit integer field.
void appendInt32Field(QByteArray& out, qint64 value, const char* what)
{
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        throw Kav::Exception(
            QStringLiteral("cannot store the prepared data: %1 %2 out of range").arg(what).arg(value));
    appendBigEndian(out, qint32(sizeof(qint32)));
    appendBigEndian(out, qint32(value));
}

struct ResultClear
{
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultClear>;

// Qt's driver hands its libpq connection out under the name of the struct behind PGconn.
bool isLibpqConnection(const QVariant& handle)
{
    return handle.isValid() &&
           (qstrcmp(handle.typeName(), "pg_conn*") == 0 || qstrcmp(handle.typeName(), "PGconn*") == 0);
}

PGconn* connectionOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!isLibpqConnection(handle))
        throw Kav::Exception(QStringLiteral("cannot store the prepared data: not a PostgreSQL connection"));
    PGconn* connection = *static_cast<PGconn* const*>(handle.constData());
    if (!connection)
        throw Kav::Exception(QStringLiteral("cannot store the prepared data: the connection is closed"));
    return connection;
}

Kav::Exception failure(const QString& reason)
{
    return Kav::Exception(QStringLiteral("cannot store the prepared data: %1").arg(reason.trimmed()));
}

} // namespace

PgBinaryCopy::PgBinaryCopy(const QList<Type>& columns)
    : m_columns(columns), m_encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless)
{}

void PgBinaryCopy::append(const QVariantList& row)
{
    if (row.size() != m_columns.size())
        throw failure(
            QStringLiteral("a row of %1 values for %2 columns").arg(row.size()).arg(m_columns.size()));
    const qsizetype rowStart = m_rows.size();
    try {
        appendBigEndian(m_rows, qint16(m_columns.size()));
        for (qsizetype column = 0; column < row.size(); ++column)
            appendValue(m_columns[column], row[column]);
    } catch (const Kav::Exception&) {
        m_rows.truncate(rowStart); // the rows before it stay a valid copy
        throw;
    }
}

void PgBinaryCopy::appendValue(Type type, const QVariant& value)
{
    if (Kav::isSqlNull(value)) {
        appendBigEndian(m_rows, kNullLength);
        return;
    }
    switch (type) {
    case Type::Text:
        // Read in place: a copy of every text would cost more than encoding it.
        if (value.metaType().id() == QMetaType::QString)
            appendText(*static_cast<const QString*>(value.constData()));
        else
            appendText(value.toString());
        break;
    case Type::Integer: {
        bool ok = false;
        const qint64 number = value.toLongLong(&ok);
        if (!ok)
            throw failure(QStringLiteral("\"%1\" is not an integer").arg(value.toString()));
        appendInt32Field(m_rows, number, "integer");
        break;
    }
    case Type::Double: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            throw failure(QStringLiteral("\"%1\" is not a number").arg(value.toString()));
        quint64 bits = 0;
        std::memcpy(&bits, &number, sizeof bits);
        appendBigEndian(m_rows, qint32(sizeof bits));
        appendBigEndian(m_rows, bits);
        break;
    }
    case Type::Date: {
        const QDate date = value.toDate();
        if (!date.isValid())
            throw failure(QStringLiteral("\"%1\" is not a date").arg(value.toString()));
        appendInt32Field(m_rows, date.toJulianDay() - kPostgresEpochJulianDay, "date");
        break;
    }
    }
}

void PgBinaryCopy::appendText(QStringView text)
{
    // The text is encoded straight after room for its length, which is written once known.
    const qsizetype lengthAt = m_rows.size();
    m_rows.resize(lengthAt + qsizetype(sizeof(qint32)) + m_encoder.requiredSpace(text.size()));
    char* const start = m_rows.data() + lengthAt + sizeof(qint32);
    const char* const end = m_encoder.appendToBuffer(start, text);
    const qint32 length = qToBigEndian(qint32(end - start));
    std::memcpy(m_rows.data() + lengthAt, &length, sizeof length);
    m_rows.truncate(end - m_rows.constData());
}

QByteArray PgBinaryCopy::data() const
{
    QByteArray data(kSignature, sizeof kSignature); // the signature ends with its zero byte
    appendBigEndian(data, kNoFlags);
    appendBigEndian(data, kNoHeaderExtension);
    data.append(m_rows);
    appendBigEndian(data, kEndOfData);
    return data;
}

void PgBinaryCopy::send(const QSqlDatabase& db, const QString& copyStatement) const
{
    PGconn* connection = connectionOf(db);
    const Result start(PQexec(connection, copyStatement.toUtf8().constData()));
    if (PQresultStatus(start.get()) != PGRES_COPY_IN)
        throw failure(QString::fromUtf8(PQerrorMessage(connection)));
    const QByteArray bytes = data();
    const bool sent = PQputCopyData(connection, bytes.constData(), int(bytes.size())) == 1;
    // Ended either way; a copy that was not sent whole is abandoned and stores nothing.
    PQputCopyEnd(connection, sent ? nullptr : "the data was not sent whole");
    QString reason = sent ? QString() : QString::fromUtf8(PQerrorMessage(connection));
    // The copy's outcome; the connection is idle again once every result is read.
    while (const Result result{PQgetResult(connection)}) {
        if (PQresultStatus(result.get()) != PGRES_COMMAND_OK && reason.isEmpty())
            reason = QString::fromUtf8(PQresultErrorMessage(result.get()));
    }
    if (!reason.isEmpty())
        throw failure(reason);
}

} // namespace KavServer::Zve41300
