#include "BenchData.h"

#include "KavException.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace BenchData {

namespace {

QStringList firstColumn(const QSqlDatabase& db, const QString& sql, const QString& central,
                        const QString& menuType)
{
    QSqlQuery query(db);
    query.prepare(sql);
    query.addBindValue(central);
    query.addBindValue(menuType);
    if (!query.exec())
        throw Kav::Exception(query.lastError().text());
    QStringList values;
    while (query.next())
        values << query.value(0).toString();
    return values;
}

} // namespace

QString servicesOf(const QSqlDatabase& db, const QString& central, const QString& menuType)
{
    return firstColumn(db,
                       QStringLiteral("SELECT CDSERVFILI FROM SERVFILI WHERE CDFILIAL = ? AND CDTIPOCARD = ?"
                                      " ORDER BY CDSERVFILI"),
                       central, menuType)
        .join(QLatin1Char('_'));
}

QString linkedSchool(const QSqlDatabase& db, const QString& central, const QString& menuType)
{
    const QStringList schools = firstColumn(
        db,
        QStringLiteral("SELECT CDFILIAL FROM FILITIPOCARD WHERE CDFILCENTZVE = ? AND CDTIPOCARD = ?"
                       " AND IDTCARATFILI = 'S' AND CDFILIAL <> CDFILCENTZVE ORDER BY CDFILIAL"),
        central, menuType);
    if (schools.isEmpty())
        throw Kav::Exception(QStringLiteral("no school of %1 uses the menu type %2").arg(central, menuType));
    return schools.first();
}

} // namespace BenchData
