#include "NutriCardWriter.h"

#include "BoundQuery.h"
#include "NutriCardRowInserter.h"

namespace {

QVariant textOrNull(const QString& text)
{
    return text.isNull() ? QVariant() : QVariant(text);
}

QVariant dateOrNull(const QDate& date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

template <class T> QVariant optionalOrNull(const std::optional<T>& value)
{
    return value ? QVariant(*value) : QVariant();
}

} // namespace

void NutriCardWriter::write(const QString& key, const QDateTime& createdUtc,
                            const NutriCardCriteria& criteria, const QString& kindText,
                            const QList<NutriCardRow>& rows) const
{
    BoundQuery header(
        m_db,
        QStringLiteral("INSERT INTO NUTRICARDCAB (NRSEQUNUTR, DTCRIACAO, CDFILCENTZVE, CDFILIAL, CDTIPOCARD,"
                       " DTINICIAL, DTFINAL, IDTIPOREL) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        QStringLiteral("store the prepared data's header"));
    const QVariantList headerValues{key,
                                    createdUtc,
                                    criteria.central,
                                    criteria.branch,
                                    criteria.menuType,
                                    criteria.firstDay,
                                    criteria.lastDay,
                                    kindText};
    for (int i = 0; i < headerValues.size(); ++i)
        header.bind(i, headerValues[i]);
    header.exec();

    QList<QVariantList> values;
    int line = 0;
    for (const NutriCardRow& row : rows) {
        values.append({key,
                       ++line,
                       dateOrNull(row.day),
                       row.week,
                       dateOrNull(row.weekStart),
                       textOrNull(row.service),
                       textOrNull(row.serviceName),
                       optionalOrNull(row.serviceOrder),
                       textOrNull(row.dishType),
                       textOrNull(row.dishTypeName),
                       textOrNull(row.dish),
                       textOrNull(row.dishOwner),
                       textOrNull(row.dishName),
                       textOrNull(row.option),
                       row.nutrient,
                       row.nutrientName,
                       row.unit,
                       optionalOrNull(row.amount.value),
                       row.amount.incomplete ? QStringLiteral("S") : QStringLiteral("N"),
                       optionalOrNull(row.ndpcal)});
    }
    NutriCardRowInserter(m_db).insert(values);
}

bool NutriCardWriter::remove(const QString& key) const
{
    BoundQuery rows(m_db, QStringLiteral("DELETE FROM NUTRICARD WHERE NRSEQUNUTR = :KEY"),
                    QStringLiteral("delete the prepared data"));
    rows.bind(QStringLiteral(":KEY"), key);
    rows.exec();
    BoundQuery header(m_db, QStringLiteral("DELETE FROM NUTRICARDCAB WHERE NRSEQUNUTR = :KEY"),
                      QStringLiteral("delete the prepared data's header"));
    header.bind(QStringLiteral(":KEY"), key);
    header.exec();
    return header.rowsAffected() > 0;
}

int NutriCardWriter::removeCreatedBefore(const QDateTime& limitUtc) const
{
    BoundQuery rows(m_db,
                    QStringLiteral("DELETE FROM NUTRICARD WHERE NRSEQUNUTR IN"
                                   " (SELECT NRSEQUNUTR FROM NUTRICARDCAB WHERE DTCRIACAO < :LIMIT)"),
                    QStringLiteral("delete expired prepared data"));
    rows.bind(QStringLiteral(":LIMIT"), limitUtc);
    rows.exec();
    BoundQuery headers(m_db, QStringLiteral("DELETE FROM NUTRICARDCAB WHERE DTCRIACAO < :LIMIT"),
                       QStringLiteral("delete expired prepared data's headers"));
    headers.bind(QStringLiteral(":LIMIT"), limitUtc);
    headers.exec();
    return headers.rowsAffected();
}
