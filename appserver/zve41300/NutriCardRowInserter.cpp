#include "NutriCardRowInserter.h"

#include "BoundQuery.h"

#include <QDate>
#include <QSqlDriver>

namespace {

struct Column
{
    const char* name;
    const char* arrayType; // PostgreSQL
};

const Column kColumns[] = {
    {"NRSEQUNUTR", "VARCHAR[]"},   {"NRLINHA", "INTEGER[]"},           {"DTCARDAPIO", "DATE[]"},
    {"NRSEMANA", "INTEGER[]"},     {"DTINISEMANA", "DATE[]"},          {"CDSERVFILI", "VARCHAR[]"},
    {"NMSERVICO", "VARCHAR[]"},    {"NRORDSERV", "INTEGER[]"},         {"CDTIPOPRAT", "VARCHAR[]"},
    {"NMTIPOPRAT", "VARCHAR[]"},   {"CDPRATO", "VARCHAR[]"},           {"CDFILAUXPRAT", "VARCHAR[]"},
    {"NMPRATO", "VARCHAR[]"},      {"IDOPCAO", "VARCHAR[]"},           {"CDNUTRIENTE", "VARCHAR[]"},
    {"NMNUTRIENTE", "VARCHAR[]"},  {"SGUNIDADE", "VARCHAR[]"},         {"VRNUTRIENTE", "DOUBLE PRECISION[]"},
    {"IDINCOMPLETO", "VARCHAR[]"}, {"VRNDPCAL", "DOUBLE PRECISION[]"}, {"IDNDPCALINCOMPL", "VARCHAR[]"},
    {"QTDIAS", "INTEGER[]"},
};

// SQLite binds up to 32766 values per statement; 100 rows of 22 stay far below.
constexpr int kSqliteRowsPerStatement = 100;
// Significant digits that carry a double through text unchanged.
constexpr int kDoubleDigits = 17;

QString insertHead()
{
    return QStringLiteral("INSERT INTO NUTRICARD (%1)")
        .arg(NutriCardRowInserter::columns().join(QStringLiteral(", ")));
}

QString elementText(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', kDoubleDigits);
    default:
        return value.toString();
    }
}

} // namespace

const QStringList& NutriCardRowInserter::columns()
{
    static const QStringList names = [] {
        QStringList list;
        for (const Column& column : kColumns)
            list << QLatin1String(column.name);
        return list;
    }();
    return names;
}

QString NutriCardRowInserter::arrayLiteral(const QList<QVariant>& values)
{
    QStringList elements;
    elements.reserve(values.size());
    for (const QVariant& value : values) {
        if (value.isNull()) {
            elements << QStringLiteral("NULL");
            continue;
        }
        QString text = elementText(value);
        text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        text.replace(QLatin1Char('"'), QLatin1String("\\\""));
        elements << QLatin1Char('"') + text + QLatin1Char('"');
    }
    return QLatin1Char('{') + elements.join(QLatin1Char(',')) + QLatin1Char('}');
}

void NutriCardRowInserter::insert(const QList<QVariantList>& rows) const
{
    if (rows.isEmpty())
        return;
    switch (m_db.driver()->dbmsType()) {
    case QSqlDriver::PostgreSQL:
        insertAsArrays(rows);
        break;
    case QSqlDriver::Interbase: // no multi-row VALUES
        insertAsValues(rows, 1);
        break;
    default:
        insertAsValues(rows, kSqliteRowsPerStatement);
        break;
    }
}

void NutriCardRowInserter::insertAsArrays(const QList<QVariantList>& rows) const
{
    QStringList unnested;
    for (const Column& column : kColumns)
        unnested << QStringLiteral("CAST(? AS %1)").arg(QLatin1String(column.arrayType));
    BoundQuery insert(m_db,
                      insertHead() + QStringLiteral(" SELECT * FROM unnest(%1)").arg(unnested.join(", ")),
                      QStringLiteral("store the prepared data"));
    for (int column = 0; column < int(std::size(kColumns)); ++column) {
        QList<QVariant> values;
        values.reserve(rows.size());
        for (const QVariantList& row : rows)
            values << row.at(column);
        insert.bind(column, arrayLiteral(values));
    }
    insert.exec();
}

void NutriCardRowInserter::insertAsValues(const QList<QVariantList>& rows, int rowsPerStatement) const
{
    const QString oneRow = QLatin1Char('(') +
                           QStringList(int(std::size(kColumns)), QStringLiteral("?")).join(", ") +
                           QLatin1Char(')');
    const auto statementFor = [&](qsizetype count) {
        return insertHead() + QStringLiteral(" VALUES ") +
               QStringList(count, oneRow).join(QStringLiteral(", "));
    };
    const qsizetype fullBatches = rows.size() / rowsPerStatement;
    const auto bindRows = [&](BoundQuery& query, qsizetype first, qsizetype count) {
        int position = 0;
        for (qsizetype row = first; row < first + count; ++row)
            for (const QVariant& value : rows[row])
                query.bind(position++, value);
        query.exec();
    };
    if (fullBatches > 0) {
        BoundQuery batch(m_db, statementFor(rowsPerStatement), QStringLiteral("store the prepared data"));
        for (qsizetype i = 0; i < fullBatches; ++i)
            bindRows(batch, i * rowsPerStatement, rowsPerStatement);
    }
    const qsizetype rest = rows.size() - fullBatches * rowsPerStatement;
    if (rest > 0) {
        BoundQuery tail(m_db, statementFor(rest), QStringLiteral("store the prepared data"));
        bindRows(tail, fullBatches * rowsPerStatement, rest);
    }
}
