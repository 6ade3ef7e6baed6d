#include "BoundQuery.h"

#include "KavException.h"
#include "SqlNull.h"
#include "SqlPlaceholders.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>

namespace Kav {

BoundQuery::BoundQuery(const QSqlDatabase& db, const QString& sql, const QString& purpose)
    : m_query(db), m_purpose(purpose)
{
    m_query.setForwardOnly(true);
    // Amounts are read as numbers, not as the decimal texts some drivers give by default.
    m_query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (db.driver()->dbmsType() == QSqlDriver::PostgreSQL)
        m_sql = sql;
    else if (!m_query.prepare(sql))
        fail();
}

void BoundQuery::bind(const QString& placeholder, const QVariant& value)
{
    if (m_sql.isNull())
        m_query.bindValue(placeholder, value);
    else
        m_values.insert(placeholder.startsWith(QLatin1Char(':')) ? placeholder.mid(1) : placeholder, value);
}

void BoundQuery::bind(int position, const QVariant& value)
{
    if (m_sql.isNull())
        m_query.bindValue(position, value);
    else
        m_values.insert(positionKey(position), value);
}

void BoundQuery::bindList(const QString& prefix, const QStringList& values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        bind(QStringLiteral(":%1%2").arg(prefix).arg(i), values[i]);
}

QString BoundQuery::withLiterals() const
{
    const QSqlDriver* driver = m_query.driver();
    return replaceSqlPlaceholders(m_sql, [&](const QString& name, int position) {
        const QString key = name.isEmpty() ? positionKey(position) : name;
        const auto value = m_values.constFind(key);
        if (value == m_values.cend())
            throw Kav::Exception(
                QStringLiteral("cannot %1: no value for the placeholder %2").arg(m_purpose, key));
        // As the driver writes the values of its own EXECUTE: a typed field, NULL when null.
        QSqlField field(QString(), value->metaType());
        if (!isSqlNull(*value))
            field.setValue(*value);
        return driver->formatValue(field);
    });
}

void BoundQuery::exec()
{
    if (!(m_sql.isNull() ? m_query.exec() : m_query.exec(withLiterals())))
        fail();
}

void BoundQuery::fail() const
{
    throw Kav::Exception(QStringLiteral("cannot %1: %2").arg(m_purpose, m_query.lastError().text()));
}

QString BoundQuery::placeholders(const QString& prefix, qsizetype count)
{
    QStringList names;
    for (qsizetype i = 0; i < count; ++i)
        names.append(QStringLiteral(":%1%2").arg(prefix).arg(i));
    return names.join(QStringLiteral(", "));
}

} // namespace Kav
