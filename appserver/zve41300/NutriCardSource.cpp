#include "NutriCardSource.h"

#include "BoundQuery.h"

namespace {

const QString kServicePrefix = QStringLiteral("S");
const QString kExistsServicePrefix = QStringLiteral("E");
const QString kNutrientPrefix = QStringLiteral("N");

// The menu items of the central branch's menus of that type in the period, for those services.
QString itemFilter(const QString& alias, const QString& servicePrefix, qsizetype services)
{
    return QStringLiteral("%1.CDFILCENTZVE = :CENTRAL AND %1.CDTIPOCARD = :MENUTYPE"
                          " AND %1.DTCARDAPIO BETWEEN :FIRSTDAY AND :LASTDAY AND %1.CDSERVFILI IN (%2)")
        .arg(alias, BoundQuery::placeholders(servicePrefix, services));
}

void bindItemFilter(BoundQuery& query, const NutriCardCriteria& criteria, const QString& servicePrefix)
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
    BoundQuery query(
        m_db,
        QStringLiteral(
            "SELECT I.DTCARDAPIO, I.CDSERVFILI, I.CDTIPOPRAT, I.CDPRATO, I.CDFILAUXPRAT, I.IDOPCAO,"
            " I.NRSEQITEM, P.NMPRATO, P.QTRENDPRATO, T.NMTIPOPRAT,"
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
        item.serviceName = query.value(10).toString();
        item.serviceOrder = query.value(11).toInt();
        result.append(served);
    }
    return result;
}

NutriCardSource::Compositions NutriCardSource::compositions(const NutriCardCriteria& criteria,
                                                            const QStringList& nutrients) const
{
    if (criteria.services.isEmpty() || nutrients.isEmpty())
        return {};
    const QString factor = QString::number(kDefaultProteinFactor);
    // The dishes served are found once, as a set: a correlated EXISTS per recipe line and nutrient
    // made SQLite scan the period's menu items tens of thousands of times.
    BoundQuery query(
        m_db,
        QStringLiteral(
            "SELECT F.CDPRATO, F.CDFILAUXPRAT, N.CDNUTRIENTE,"
            " SUM(F.QTPESOLIQ * C.VRNUTRIENTE) AS VRTOTAL,"
            " SUM(F.QTPESOLIQ * C.VRNUTRIENTE * COALESCE(G.VRFATORPROT, %1)) AS VRLIQUIDO,"
            " COUNT(*) AS QTINGRED, COUNT(C.VRNUTRIENTE) AS QTANALISADO"
            " FROM (SELECT DISTINCT I.CDPRATO, I.CDFILAUXPRAT FROM ITCARDZVE I WHERE %3) D"
            " JOIN FICHATEC F ON F.CDPRATO = D.CDPRATO AND F.CDFILAUXPRAT = D.CDFILAUXPRAT"
            " JOIN NUTRIENTE N ON N.CDNUTRIENTE IN (%2)"
            " LEFT JOIN COMPALIM C ON C.CDALIMENTO = F.CDALIMENTO AND C.CDNUTRIENTE = N.CDNUTRIENTE"
            " LEFT JOIN ALIMENTO A ON A.CDALIMENTO = F.CDALIMENTO"
            " LEFT JOIN GRUPOALIM G ON G.CDGRUPOALIM = A.CDGRUPOALIM"
            " GROUP BY F.CDPRATO, F.CDFILAUXPRAT, N.CDNUTRIENTE")
            .arg(factor, BoundQuery::placeholders(kNutrientPrefix, nutrients.size()),
                 itemFilter(QStringLiteral("I"), kExistsServicePrefix, criteria.services.size())),
        QStringLiteral("read the dishes' composition"));
    query.bindList(kNutrientPrefix, nutrients);
    bindItemFilter(query, criteria, kExistsServicePrefix);
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
