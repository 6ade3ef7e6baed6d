#include "MenuTypeReferences.h"

#include "CsvImport.h"
#include "DbTransaction.h"
#include "KavException.h"

namespace KavDb {

namespace {

constexpr double kWholeNeeds = 100.0;

const QString kWhat = QStringLiteral("Reading the menu types' references");

QStringList codes(QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QStringList result;
    for (QSqlQuery query = CsvImport::run(db, kWhat, sql, values); query.next();)
        result << query.value(0).toString();
    return result;
}

QString listOrNone(const QStringList& items)
{
    return items.isEmpty() ? QStringLiteral("none") : items.join(QLatin1String(", "));
}

} // namespace

CoverageRule::Fit MenuTypeReference::fit() const
{
    return share ? CoverageRule::judge(*share, mealsPerDay) : CoverageRule::Fit::NoRule;
}

QString MenuTypeReference::describe() const
{
    QString line = QStringLiteral("%1/%2 \"%3\": ").arg(central, menuType, name);
    if (set.isEmpty())
        return line + QStringLiteral("no reference set; %1 service(s) a day").arg(mealsPerDay);
    line += QStringLiteral("set %1 \"%2\", age band %3, share %4; %5 service(s) a day")
                .arg(set, setName, ageBand.isEmpty() ? QStringLiteral("(none)") : ageBand,
                     share ? CoverageRule::shareText(*share) : QStringLiteral("(none)"))
                .arg(mealsPerDay);
    switch (fit()) {
    case CoverageRule::Fit::Fits:
        return line + QStringLiteral(": fits (%1 assumes %2)")
                          .arg(CoverageRule::citation(), CoverageRule::mealsAssumed(*share));
    case CoverageRule::Fit::DoesNotFit:
        return line + QStringLiteral(": DOES NOT FIT (%1: %2 assumes %3)")
                          .arg(CoverageRule::citation(), CoverageRule::shareText(*share),
                               CoverageRule::mealsAssumed(*share));
    case CoverageRule::Fit::NoRule:
        break;
    }
    return line + QStringLiteral(": a share %1 does not name").arg(CoverageRule::citation());
}

QList<MenuTypeReference> MenuTypeReferences::read(const QString& where, const QVariantList& values) const
{
    QSqlDatabase db = m_db;
    QSqlQuery query = CsvImport::run(
        db, kWhat,
        QStringLiteral("SELECT T.CDFILCENTZVE, T.CDTIPOCARD, T.NMTIPOCARD, T.CDCONJREF, C.NMCONJREF,"
                       " T.CDFAIXAETAR, F.NMFAIXAETAR, T.PCCOBERTURA,"
                       " (SELECT COUNT(DISTINCT S.CDSERVFILI) FROM SERVFILI S"
                       " WHERE S.CDFILIAL = T.CDFILCENTZVE AND S.CDTIPOCARD = T.CDTIPOCARD)"
                       " FROM TIPOCARD T"
                       " LEFT JOIN CONJREF C ON C.CDCONJREF = T.CDCONJREF"
                       " LEFT JOIN FAIXAETARIA F ON F.CDFAIXAETAR = T.CDFAIXAETAR") +
            where + QStringLiteral(" ORDER BY T.CDFILCENTZVE, T.CDTIPOCARD"),
        values);
    QList<MenuTypeReference> result;
    while (query.next()) {
        MenuTypeReference reference;
        reference.central = query.value(0).toString();
        reference.menuType = query.value(1).toString();
        reference.name = query.value(2).toString();
        reference.set = query.value(3).toString().trimmed();
        reference.setName = query.value(4).toString();
        reference.ageBand = query.value(5).toString().trimmed();
        reference.ageBandName = query.value(6).toString();
        if (!query.value(7).isNull())
            reference.share = query.value(7).toDouble();
        reference.mealsPerDay = query.value(8).toInt();
        result.append(reference);
    }
    return result;
}

QList<MenuTypeReference> MenuTypeReferences::all() const
{
    return read({}, {});
}

std::optional<MenuTypeReference> MenuTypeReferences::of(const QString& central, const QString& menuType) const
{
    const QList<MenuTypeReference> found =
        read(QStringLiteral(" WHERE T.CDFILCENTZVE = ? AND T.CDTIPOCARD = ?"), {central, menuType});
    return found.isEmpty() ? std::nullopt : std::optional(found.first());
}

MenuTypeReference MenuTypeReferences::set(const QString& central, const QString& menuType, const QString& set,
                                          const QString& ageBand, double share)
{
    if (!of(central, menuType))
        throw Kav::Exception(
            QStringLiteral("Menu type %1 of central %2 does not exist.").arg(menuType, central));
    const QStringList sets = codes(m_db, QStringLiteral("SELECT CDCONJREF FROM CONJREF ORDER BY CDCONJREF"));
    if (!sets.contains(set))
        throw Kav::Exception(
            QStringLiteral("Reference set \"%1\" does not exist (sets: %2).").arg(set, listOrNone(sets)));
    const QStringList bands =
        codes(m_db, QStringLiteral("SELECT CDFAIXAETAR FROM FAIXAETARIA ORDER BY CDFAIXAETAR"));
    if (!bands.contains(ageBand))
        throw Kav::Exception(QStringLiteral("Age band \"%1\" does not exist (age bands: %2).")
                                 .arg(ageBand, listOrNone(bands)));
    if (!(share > 0.0 && share <= kWholeNeeds))
        throw Kav::Exception(
            QStringLiteral("The share is a percent of the daily needs, above 0 and at most 100."));
    const QStringList shares =
        codes(m_db,
              QStringLiteral("SELECT DISTINCT PCCOBERTURA FROM VALORREF WHERE CDCONJREF = ?"
                             " AND PCCOBERTURA IS NOT NULL AND (CDFAIXAETAR IS NULL OR CDFAIXAETAR = ?)"
                             " ORDER BY PCCOBERTURA"),
              {set, ageBand});
    if (!std::any_of(shares.cbegin(), shares.cend(),
                     [&](const QString& held) { return qFuzzyCompare(held.toDouble(), share); }))
        throw Kav::Exception(QStringLiteral("Set %1 holds no value for a share of %2 in age band %3"
                                            " (its shares there: %4).")
                                 .arg(set, CoverageRule::shareText(share), ageBand, listOrNone(shares)));
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    CsvImport::run(m_db, QStringLiteral("Setting the menu type's reference"),
                   QStringLiteral("UPDATE TIPOCARD SET CDCONJREF = ?, CDFAIXAETAR = ?, PCCOBERTURA = ?"
                                  " WHERE CDFILCENTZVE = ? AND CDTIPOCARD = ?"),
                   {set, ageBand, share, central, menuType});
    transaction.commit();
    return *of(central, menuType);
}

} // namespace KavDb
