#include "BoundQuery.h"

#include "KavException.h"

#include <QSqlError>

namespace Kav {

BoundQuery::BoundQuery(const QSqlDatabase& db, const QString& sql, const QString& purpose)
    : m_query(db), m_purpose(purpose)
{
    m_query.setForwardOnly(true);
    // Amounts are read as numbers, not as the decimal texts some drivers give by default.
    m_query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!m_query.prepare(sql))
        throw Kav::Exception(QStringLiteral("cannot %1: %2").arg(m_purpose, m_query.lastError().text()));
}

void BoundQuery::bindList(const QString& prefix, const QStringList& values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query.bindValue(QStringLiteral(":%1%2").arg(prefix).arg(i), values[i]);
}

void BoundQuery::exec()
{
    if (!m_query.exec())
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
