#include "NutriCardSource.h"

#include "BoundQuery.h"

#include <QSet>

namespace KavServer::Zve41300 {

namespace {

const QString kServicePrefix = QStringLiteral("S");
const QString kExistsServicePrefix = QStringLiteral("E");
const QString kNutrientPrefix = QStringLiteral("N");

// How the notes name the vitamin A counted from the table's retinol.
const QString kRetinolAsVitaminA =
    QStringLiteral("vitamina A (RE, RAE) onde a tabela de alimentos dá só o retinol: esse retinol"
                   " (1 µg de retinol = 1 µg RE = 1 µg RAE)");

// Food-table columns of vitamin A (NUTRIENTE.NMCOLTACO).
const QString kRetinolColumn = QStringLiteral("retinol");
const QString kRetinolEquivalentsColumn = QStringLiteral("re");
const QString kRetinolActivityEquivalentsColumn = QStringLiteral("rae");

// The menu items of the central branch's menus of that type in the period, for those services.
QString itemFilter(const QString& alias, const QString& servicePrefix, qsizetype services)
{
    return QStringLiteral("%1.CDFILCENTZVE = :CENTRAL AND %1.CDTIPOCARD = :MENUTYPE"
                          " AND %1.DTCARDAPIO BETWEEN :FIRSTDAY AND :LASTDAY AND %1.CDSERVFILI IN (%2)")
        .arg(alias, Kav::BoundQuery::placeholders(servicePrefix, services));
}

void bindItemFilter(Kav::BoundQuery& query, const NutriCardCriteria& criteria, const QString& servicePrefix)
{
    query.bind(QStringLiteral(":CENTRAL"), criteria.central);
    query.bind(QStringLiteral(":MENUTYPE"), criteria.menuType);
    query.bind(QStringLiteral(":FIRSTDAY"), criteria.firstDay);
    query.bind(QStringLiteral(":LASTDAY"), criteria.lastDay);
    query.bindList(servicePrefix, criteria.services);
}

std::optional<double> optionalNumber(const QVariant& value)
{
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}

} // namespace

QList<NutriCardSource::ServedItem> NutriCardSource::items(const NutriCardCriteria& criteria) const
{
    if (criteria.services.isEmpty())
        return {};
    // Service names and order come from the report's branch when it has the service, else from
    // the central branch whose menu it is.
    Kav::BoundQuery query(
        m_db,
        QStringLiteral(
            "SELECT I.DTCARDAPIO, I.CDSERVFILI, I.CDTIPOPRAT, I.CDPRATO, I.CDFILAUXPRAT, I.IDOPCAO,"
            " I.NRSEQITEM, P.NMPRATO, P.QTRENDPRATO, T.NMTIPOPRAT, I.QTPORCAO,"
            " COALESCE(B.NMSERVICO, C.NMSERVICO) AS NMSERVICO,"
            " COALESCE(B.NRORDSERV, C.NRORDSERV) AS NRORDSERV"
            " FROM ITCARDZVE I"
            " LEFT JOIN PRATO P ON P.CDPRATO = I.CDPRATO AND P.CDFILAUXPRAT = I.CDFILAUXPRAT"
            " LEFT JOIN TIPOPRAT T ON T.CDTIPOPRAT = I.CDTIPOPRAT"
            " LEFT JOIN SERVFILI B ON B.CDFILIAL = :BRANCH AND B.CDTIPOCARD = I.CDTIPOCARD"
            " AND B.CDSERVFILI = I.CDSERVFILI"
            " LEFT JOIN SERVFILI C ON C.CDFILIAL = I.CDFILCENTZVE AND C.CDTIPOCARD = I.CDTIPOCARD"
            " AND C.CDSERVFILI = I.CDSERVFILI"
            " WHERE ") +
            itemFilter(QStringLiteral("I"), kServicePrefix, criteria.services.size()),
        QStringLiteral("read the menu items"));
    bindItemFilter(query, criteria, kServicePrefix);
    query.bind(QStringLiteral(":BRANCH"), criteria.branch);
    query.exec();
    QList<ServedItem> result;
    while (query.next()) {
        ServedItem served;
        MenuItem& item = served.item;
        item.day = query.value(0).toDate();
        item.service = query.value(1).toString();
        item.dishType = query.value(2).toString();
        item.dish = query.value(3).toString();
        item.dishOwner = query.value(4).toString();
        item.option = query.value(5).toString() == QLatin1String("S");
        item.sequence = query.value(6).toInt();
        item.dishName = query.value(7).toString();
        served.portions = query.value(8).toDouble();
        item.dishTypeName = query.value(9).toString();
        served.servedPortions = query.value(10).toDouble();
        item.serviceName = query.value(11).toString();
        item.serviceOrder = query.value(12).toInt();
        result.append(served);
    }
    return result;
}

// F, the recipe lines of the dishes served in the criteria's period. The dishes are found once, as a
// set: a correlated EXISTS per recipe line and nutrient made SQLite scan the period's menu items tens
// of thousands of times.
QString NutriCardSource::servedRecipeLines(const NutriCardCriteria& criteria, bool byDishType)
{
    return QStringLiteral("(SELECT DISTINCT %1I.CDPRATO, I.CDFILAUXPRAT FROM ITCARDZVE I WHERE %2) D"
                          " JOIN FICHATEC F ON F.CDPRATO = D.CDPRATO AND F.CDFILAUXPRAT = D.CDFILAUXPRAT")
        .arg(byDishType ? QStringLiteral("I.CDTIPOPRAT, ") : QString(),
             itemFilter(QStringLiteral("I"), kExistsServicePrefix, criteria.services.size()));
}

// Each nutrient asked of the food in `foodColumn`: N the nutrient, A the food, C its value in the food
// table, R the table's retinol standing in for an empty vitamin A cell (RE or RAE), and K the
// complement, joined only where neither the table nor its retinol gives a value.
//
// The food table gives the vitamin A of animal foods as retinol and leaves their RE and RAE cells
// empty ("not applicable"); by the units' definition 1 µg of retinol is 1 µg RE and 1 µg RAE. Where
// the table fills RE or RAE (plant foods, mixed dishes) that value already holds any retinol and is
// used alone. The columns are found by their food-table names, whatever codes a site gave them.
QString NutriCardSource::foodValues(const QString& foodColumn, qsizetype nutrients)
{
    return QStringLiteral(" JOIN NUTRIENTE N ON N.CDNUTRIENTE IN (%1)"
                          " LEFT JOIN COMPALIM C ON C.CDALIMENTO = %2 AND C.CDNUTRIENTE = N.CDNUTRIENTE"
                          " LEFT JOIN NUTRIENTE NR ON N.NMCOLTACO IN ('%3', '%4') AND NR.NMCOLTACO = '%5'"
                          " LEFT JOIN COMPALIM R ON C.VRNUTRIENTE IS NULL AND R.CDALIMENTO = %2"
                          " AND R.CDNUTRIENTE = NR.CDNUTRIENTE"
                          " LEFT JOIN COMPALIMCOMPL K ON C.VRNUTRIENTE IS NULL AND R.VRNUTRIENTE IS NULL"
                          " AND K.CDALIMENTO = %2 AND K.CDNUTRIENTE = N.CDNUTRIENTE"
                          " LEFT JOIN ALIMENTO A ON A.CDALIMENTO = %2")
        .arg(Kav::BoundQuery::placeholders(kNutrientPrefix, nutrients), foodColumn, kRetinolEquivalentsColumn,
             kRetinolActivityEquivalentsColumn, kRetinolColumn);
}

void NutriCardSource::bindServedFoodValues(Kav::BoundQuery& query, const NutriCardCriteria& criteria,
                                           const QStringList& nutrients)
{
    query.bindList(kNutrientPrefix, nutrients);
    bindItemFilter(query, criteria, kExistsServicePrefix);
}

NutriCardSource::MenuDays NutriCardSource::menuDays(const NutriCardCriteria& criteria) const
{
    if (criteria.services.isEmpty())
        return {};
    Kav::BoundQuery query(
        m_db,
        QStringLiteral("SELECT MIN(I.DTCARDAPIO), MIN(CASE WHEN I.IDOPCAO = 'N' THEN I.DTCARDAPIO END)"
                       " FROM ITCARDZVE I WHERE ") +
            itemFilter(QStringLiteral("I"), kServicePrefix, criteria.services.size()),
        QStringLiteral("read the first day of the menu"));
    bindItemFilter(query, criteria, kServicePrefix);
    query.exec();
    if (!query.next())
        return {};
    MenuDays days;
    days.firstItem = query.value(0).toDate();
    days.firstCounted = query.value(1).isNull() ? days.firstItem : query.value(1).toDate();
    return days;
}

NutriCardSource::Compositions NutriCardSource::compositions(const NutriCardCriteria& criteria,
                                                            const QStringList& nutrients) const
{
    if (criteria.services.isEmpty() || nutrients.isEmpty())
        return {};
    const QString value = QStringLiteral("COALESCE(C.VRNUTRIENTE, R.VRNUTRIENTE, K.VRNUTRIENTE)");
    Kav::BoundQuery query(m_db,
                          QStringLiteral("SELECT F.CDPRATO, F.CDFILAUXPRAT, N.CDNUTRIENTE,"
                                         " SUM(F.QTPESOLIQ * %1) AS VRTOTAL,"
                                         " SUM(F.QTPESOLIQ * %1 * COALESCE(G.VRFATORPROT, %2)) AS VRLIQUIDO,"
                                         " COUNT(*) AS QTINGRED, COUNT(%1) AS QTANALISADO")
                                  .arg(value, QString::number(kDefaultProteinFactor)) +
                              QStringLiteral(" FROM ") + servedRecipeLines(criteria) +
                              foodValues(QStringLiteral("F.CDALIMENTO"), nutrients.size()) +
                              QStringLiteral(" LEFT JOIN GRUPOALIM G ON G.CDGRUPOALIM = A.CDGRUPOALIM"
                                             " GROUP BY F.CDPRATO, F.CDFILAUXPRAT, N.CDNUTRIENTE"),
                          QStringLiteral("read the dishes' composition"));
    bindServedFoodValues(query, criteria, nutrients);
    query.exec();
    Compositions result;
    while (query.next()) {
        DishComposition composition;
        composition.total = optionalNumber(query.value(3));
        composition.netProtein = optionalNumber(query.value(4));
        composition.ingredients = query.value(5).toInt();
        composition.analysed = query.value(6).toInt();
        result[dishKey(query.value(0).toString(), query.value(1).toString())].insert(
            query.value(2).toString(), composition);
    }
    return result;
}

NutriCardSource::MissingValues NutriCardSource::missingValues(const NutriCardCriteria& criteria,
                                                              const QStringList& nutrients) const
{
    if (criteria.services.isEmpty() || nutrients.isEmpty())
        return {};
    // The cells the food table leaves empty: with the table's retinol or a complement, where the
    // value comes from; without, a gap. Each food of the dishes served is looked at once, however
    // many recipes use it: per recipe line the same cells were read again and again, then made distinct.
    Kav::BoundQuery query(
        m_db,
        QStringLiteral("SELECT DISTINCT N.CDNUTRIENTE, U.CDALIMENTO, A.NMALIMENTO, K.DSFONTE, R.VRNUTRIENTE,"
                       " U.CDTIPOPRAT, T.NMTIPOPRAT FROM (SELECT DISTINCT D.CDTIPOPRAT, F.CDALIMENTO FROM ") +
            servedRecipeLines(criteria, true) + QStringLiteral(") U") +
            foodValues(QStringLiteral("U.CDALIMENTO"), nutrients.size()) +
            QStringLiteral(" LEFT JOIN TIPOPRAT T ON T.CDTIPOPRAT = U.CDTIPOPRAT") +
            QStringLiteral(" WHERE C.VRNUTRIENTE IS NULL ORDER BY N.CDNUTRIENTE, A.NMALIMENTO, U.CDALIMENTO"),
        QStringLiteral("read the foods without a value"));
    bindServedFoodValues(query, criteria, nutrients);
    query.exec();
    MissingValues result;
    while (query.next()) {
        const QString source = query.value(4).isNull() ? query.value(3).toString() : kRetinolAsVitaminA;
        const QString dishType = query.value(5).toString();
        result.dishTypeNames.insert(dishType, query.value(6).toString());
        if (source.isEmpty())
            result.gaps.append(
                Gap{query.value(0).toString(), query.value(1).toInt(), query.value(2).toString(), dishType});
        else
            result.sources.append(SourceUse{dishType, source});
    }
    return result;
}

QList<NutriCardSource::Gap> NutriCardSource::MissingValues::gapsOf(const QString& dishType) const
{
    QList<Gap> result;
    QSet<QString> seen;
    for (const Gap& gap : gaps) {
        const QString food = gap.nutrient + QLatin1Char('|') + QString::number(gap.food);
        if ((dishType.isEmpty() || gap.dishType == dishType) && !seen.contains(food)) {
            seen.insert(food);
            result.append(gap);
        }
    }
    return result;
}

QStringList NutriCardSource::MissingValues::complementSourcesOf(const QString& dishType) const
{
    QStringList result;
    for (const SourceUse& use : sources)
        if ((dishType.isEmpty() || use.dishType == dishType) && !result.contains(use.source))
            result.append(use.source);
    result.sort();
    return result;
}

} // namespace KavServer::Zve41300
