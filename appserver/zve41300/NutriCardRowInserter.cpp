#include "NutriCardRowInserter.h"

#include "BoundQuery.h"
#include "KavException.h"
#include "SqliteDialect.h"

#include <charconv>
#include <memory>
#include <QDate>
#include <QSqlDriver>
#include <span>
#include <sqlite3.h>

namespace {

struct Column
{
    const char* name;
    const char* arrayType; // PostgreSQL
};

const Column kReportRowColumns[] = {
    {"NRSEQUNUTR", "VARCHAR[]"},   {"NRLINHA", "INTEGER[]"},           {"DTCARDAPIO", "DATE[]"},
    {"NRSEMANA", "INTEGER[]"},     {"DTINISEMANA", "DATE[]"},          {"CDSERVFILI", "VARCHAR[]"},
    {"NMSERVICO", "VARCHAR[]"},    {"NRORDSERV", "INTEGER[]"},         {"CDTIPOPRAT", "VARCHAR[]"},
    {"NMTIPOPRAT", "VARCHAR[]"},   {"CDPRATO", "VARCHAR[]"},           {"CDFILAUXPRAT", "VARCHAR[]"},
    {"NMPRATO", "VARCHAR[]"},      {"IDOPCAO", "VARCHAR[]"},           {"CDNUTRIENTE", "VARCHAR[]"},
    {"NMNUTRIENTE", "VARCHAR[]"},  {"SGUNIDADE", "VARCHAR[]"},         {"VRNUTRIENTE", "DOUBLE PRECISION[]"},
    {"IDINCOMPLETO", "VARCHAR[]"}, {"VRNDPCAL", "DOUBLE PRECISION[]"}, {"IDNDPCALINCOMPL", "VARCHAR[]"},
    {"QTDIAS", "INTEGER[]"},
};

const Column kDishFigureColumns[] = {
    {"NRSEQUNUTR", "VARCHAR[]"},
    {"NRLINHA", "INTEGER[]"},
    {"DTCARDAPIO", "DATE[]"},
    {"NRSEMANA", "INTEGER[]"},
    {"DTINISEMANA", "DATE[]"},
    {"CDSERVFILI", "VARCHAR[]"},
    {"NMSERVICO", "VARCHAR[]"},
    {"NRORDSERV", "INTEGER[]"},
    {"CDTIPOPRAT", "VARCHAR[]"},
    {"NMTIPOPRAT", "VARCHAR[]"},
    {"CDPRATO", "VARCHAR[]"},
    {"CDFILAUXPRAT", "VARCHAR[]"},
    {"NMPRATO", "VARCHAR[]"},
    {"IDOPCAO", "VARCHAR[]"},
    {"CDNUTRIENTE", "VARCHAR[]"},
    {"VRNUTRIENTE", "DOUBLE PRECISION[]"},
    {"IDINCOMPLETO", "VARCHAR[]"},
    {"VRENERGIA", "DOUBLE PRECISION[]"},
    {"VRPROTLIQ", "DOUBLE PRECISION[]"},
    {"IDDIETAINCOMPL", "VARCHAR[]"},
};

const Column kNoteColumns[] = {
    {"NRSEQUNUTR", "VARCHAR[]"},
    {"NRLINHA", "INTEGER[]"},
    {"DSNOTA", "VARCHAR[]"},
};

std::span<const Column> columnsOf(NutriCardRowInserter::Table table)
{
    switch (table) {
    case NutriCardRowInserter::Table::DishFigures:
        return kDishFigureColumns;
    case NutriCardRowInserter::Table::Notes:
        return kNoteColumns;
    case NutriCardRowInserter::Table::ReportRows:
        break;
    }
    return kReportRowColumns;
}

QString tableName(NutriCardRowInserter::Table table)
{
    switch (table) {
    case NutriCardRowInserter::Table::DishFigures:
        return QStringLiteral("NUTRICARDPRATO");
    case NutriCardRowInserter::Table::Notes:
        return QStringLiteral("NUTRICARDNOTA");
    case NutriCardRowInserter::Table::ReportRows:
        break;
    }
    return QStringLiteral("NUTRICARD");
}

// Room for the shortest text of any double or 64-bit integer.
constexpr int kNumberChars = 32;

template <class Number> void appendNumber(QString& out, Number value)
{
    // The shortest text that reads back as the same number.
    char text[kNumberChars];
    const auto end = std::to_chars(text, text + kNumberChars, value).ptr;
    out += QLatin1StringView(text, end - text);
}

// One quoted array element: a backslash or a double quote inside is escaped.
void appendElement(QString& out, const QVariant& value)
{
    out += QLatin1Char('"');
    switch (value.metaType().id()) {
    case QMetaType::Double:
        appendNumber(out, value.toDouble());
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
        appendNumber(out, value.toLongLong());
        break;
    case QMetaType::QDate:
        out += value.toDate().toString(Qt::ISODate);
        break;
    default:
        for (const QChar c : value.toString()) {
            if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
                out += QLatin1Char('\\');
            out += c;
        }
        break;
    }
    out += QLatin1Char('"');
}

} // namespace

QStringList NutriCardRowInserter::columns(Table table)
{
    QStringList list;
    for (const Column& column : columnsOf(table))
        list << QLatin1String(column.name);
    return list;
}

QString NutriCardRowInserter::insertHead() const
{
    return QStringLiteral("INSERT INTO %1 (%2)")
        .arg(tableName(m_table), columns(m_table).join(QStringLiteral(", ")));
}

QString NutriCardRowInserter::arrayLiteral(const QList<QVariant>& values)
{
    QString literal(QLatin1Char('{'));
    for (const QVariant& value : values) {
        if (literal.size() > 1)
            literal += QLatin1Char(',');
        if (value.isNull())
            literal += QLatin1String("NULL");
        else
            appendElement(literal, value);
    }
    literal += QLatin1Char('}');
    return literal;
}

void NutriCardRowInserter::insert(const QList<QVariantList>& rows) const
{
    if (rows.isEmpty())
        return;
    switch (m_db.driver()->dbmsType()) {
    case QSqlDriver::PostgreSQL:
        insertAsArrays(rows);
        break;
    case QSqlDriver::SQLite:
        insertThroughSqlite(rows);
        break;
    default: // Firebird: no multi-row VALUES
        insertRowByRow(rows);
        break;
    }
}

void NutriCardRowInserter::insertAsArrays(const QList<QVariantList>& rows) const
{
    QStringList unnested;
    const std::span<const Column> columns = columnsOf(m_table);
    for (const Column& column : columns)
        unnested << QStringLiteral("CAST(? AS %1)").arg(QLatin1String(column.arrayType));
    Kav::BoundQuery insert(
        m_db, insertHead() + QStringLiteral(" SELECT * FROM unnest(%1)").arg(unnested.join(", ")),
        QStringLiteral("store the prepared data"));
    for (int column = 0; column < int(columns.size()); ++column) {
        QList<QVariant> values;
        values.reserve(rows.size());
        for (const QVariantList& row : rows)
            values << row.at(column);
        insert.bind(column, arrayLiteral(values));
    }
    insert.exec();
}

QString NutriCardRowInserter::oneRowInsert() const
{
    return insertHead() + QStringLiteral(" VALUES (") +
           QStringList(int(columnsOf(m_table).size()), QStringLiteral("?")).join(", ") + QLatin1Char(')');
}

void NutriCardRowInserter::insertRowByRow(const QList<QVariantList>& rows) const
{
    Kav::BoundQuery insert(m_db, oneRowInsert(), QStringLiteral("store the prepared data"));
    for (const QVariantList& row : rows) {
        for (int column = 0; column < row.size(); ++column)
            insert.bind(column, row[column]);
        insert.exec();
    }
}

namespace {

struct StatementFinalizer
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// Binds as Qt's driver would, so the layouts read the same values: dates as ISO texts.
int bindValue(sqlite3_stmt* statement, int position, const QVariant& value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, position);
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return sqlite3_bind_int64(statement, position, value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(statement, position, value.toDouble());
    case QMetaType::QDate:
        return sqlite3_bind_text(statement, position,
                                 value.toDate().toString(Qt::ISODate).toUtf8().constData(), -1,
                                 SQLITE_TRANSIENT);
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(statement, position, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

} // namespace

void NutriCardRowInserter::insertThroughSqlite(const QList<QVariantList>& rows) const
{
    sqlite3* native = Kav::sqliteHandle(m_db);
    const QByteArray sql = oneRowInsert().toUtf8();
    const auto failure = [native] {
        return Kav::Exception(QStringLiteral("cannot store the prepared data: %1")
                                  .arg(QString::fromUtf8(sqlite3_errmsg(native))));
    };
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(native, sql.constData(), int(sql.size()), &prepared, nullptr) != SQLITE_OK)
        throw failure();
    const std::unique_ptr<sqlite3_stmt, StatementFinalizer> statement(prepared);
    for (const QVariantList& row : rows) {
        for (int column = 0; column < row.size(); ++column)
            if (bindValue(statement.get(), column + 1, row[column]) != SQLITE_OK)
                throw failure();
        if (sqlite3_step(statement.get()) != SQLITE_DONE)
            throw failure();
        sqlite3_reset(statement.get());
    }
}
