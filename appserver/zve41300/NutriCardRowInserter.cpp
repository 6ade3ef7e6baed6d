#include "NutriCardRowInserter.h"

#include "BoundQuery.h"
#include "KavException.h"
#include "PgBinaryCopy.h"
#include "SqliteDialect.h"
#include "SqlNull.h"

#include <memory>
#include <QDate>
#include <QSqlDriver>
#include <span>
#include <sqlite3.h>

namespace KavServer::Zve41300 {

namespace {

using Type = PgBinaryCopy::Type;

struct Column
{
    const char* name;
    Type type; // as the table declares it: PostgreSQL receives each value in that type's binary form
};

const Column kReportRowColumns[] = {
    {"NRSEQUNUTR", Type::Text},   {"NRLINHA", Type::Integer},   {"DTCARDAPIO", Type::Date},
    {"NRSEMANA", Type::Integer},  {"DTINISEMANA", Type::Date},  {"CDSERVFILI", Type::Text},
    {"NMSERVICO", Type::Text},    {"NRORDSERV", Type::Integer}, {"CDTIPOPRAT", Type::Text},
    {"NMTIPOPRAT", Type::Text},   {"CDPRATO", Type::Text},      {"CDFILAUXPRAT", Type::Text},
    {"NMPRATO", Type::Text},      {"IDOPCAO", Type::Text},      {"CDNUTRIENTE", Type::Text},
    {"NMNUTRIENTE", Type::Text},  {"SGUNIDADE", Type::Text},    {"VRNUTRIENTE", Type::Double},
    {"IDINCOMPLETO", Type::Text}, {"VRNDPCAL", Type::Double},   {"IDNDPCALINCOMPL", Type::Text},
    {"QTDIAS", Type::Integer},
};

const Column kDishFigureColumns[] = {
    {"NRSEQUNUTR", Type::Text},    {"NRLINHA", Type::Integer},     {"DTCARDAPIO", Type::Date},
    {"NRSEMANA", Type::Integer},   {"DTINISEMANA", Type::Date},    {"CDSERVFILI", Type::Text},
    {"NMSERVICO", Type::Text},     {"NRORDSERV", Type::Integer},   {"CDTIPOPRAT", Type::Text},
    {"NMTIPOPRAT", Type::Text},    {"CDPRATO", Type::Text},        {"CDFILAUXPRAT", Type::Text},
    {"NMPRATO", Type::Text},       {"IDOPCAO", Type::Text},        {"CDNUTRIENTE", Type::Text},
    {"VRNUTRIENTE", Type::Double}, {"IDINCOMPLETO", Type::Text},   {"VRENERGIA", Type::Double},
    {"VRPROTLIQ", Type::Double},   {"IDDIETAINCOMPL", Type::Text},
};

const Column kNoteColumns[] = {
    {"NRSEQUNUTR", Type::Text},
    {"NRLINHA", Type::Integer},
    {"DSNOTA", Type::Text},
    {"CDTIPOPRAT", Type::Text},
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

void NutriCardRowInserter::insert(const QList<QVariantList>& rows) const
{
    if (rows.isEmpty())
        return;
    switch (m_db.driver()->dbmsType()) {
    case QSqlDriver::PostgreSQL:
        insertByCopy(rows);
        break;
    case QSqlDriver::SQLite:
        insertThroughSqlite(rows);
        break;
    default: // Firebird: no multi-row VALUES
        insertRowByRow(rows);
        break;
    }
}

void NutriCardRowInserter::insertByCopy(const QList<QVariantList>& rows) const
{
    QList<PgBinaryCopy::Type> types;
    for (const Column& column : columnsOf(m_table))
        types << column.type;
    PgBinaryCopy copy(types);
    for (const QVariantList& row : rows)
        copy.append(row);
    copy.send(m_db, QStringLiteral("COPY %1 (%2) FROM STDIN (FORMAT binary)")
                        .arg(tableName(m_table), columns(m_table).join(QStringLiteral(", "))));
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
    if (Kav::isSqlNull(value))
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
    case QMetaType::QString: {
        // The row outlives the statement's step: SQLite reads the text in place.
        const QString& text = *static_cast<const QString*>(value.constData());
        return sqlite3_bind_text16(statement, position, text.utf16(), int(text.size() * sizeof(char16_t)),
                                   SQLITE_STATIC);
    }
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

} // namespace KavServer::Zve41300
