#include "NutriCardPreparer.h"

#include "BoundQuery.h"
#include "CallContext.h"
#include "CodeList.h"
#include "ConsisteCore.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "NutriCardBuilder.h"
#include "NutriCardCoverage.h"
#include "NutriCardKeyGenerator.h"
#include "NutriCardNotes.h"
#include "NutriCardRefusal.h"
#include "NutriCardSource.h"
#include "NutriCardWriter.h"

#include <QMap>

namespace KavServer::Zve41300 {

namespace {

constexpr int kRequestBranchWidth = 4;
constexpr int kRequestMenuTypeWidth = 10;
constexpr int kServiceWidth = 5;
constexpr int kNutrientWidth = 3;
// Four weeks of menu items and rows in memory at a time.
constexpr int kDaysPerBatch = 28;

bool hasRow(const QSqlDatabase& db, const QString& sql, const QVariantMap& values, const QString& purpose)
{
    Kav::BoundQuery query(db, sql, purpose);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        query.bind(it.key(), it.value());
    query.exec();
    return query.next();
}

NutriCardPreparer::GeneralParameters generalParameters(const QSqlDatabase& db)
{
    Kav::BoundQuery query(db, QStringLiteral("SELECT CDCALORIAS, CDPROTEINA FROM PARAMGERAL"),
                          QStringLiteral("read the general parameters"));
    query.exec();
    if (!query.next())
        return {};
    return {Consiste::Ajusta(query.value(0).toString(), kNutrientWidth),
            Consiste::Ajusta(query.value(1).toString(), kNutrientWidth)};
}

// Every nutrient of the database, by code.
QMap<QString, NutrientColumn> allNutrients(const QSqlDatabase& db)
{
    Kav::BoundQuery query(db, QStringLiteral("SELECT CDNUTRIENTE, NMNUTRIENTE, SGUNIDADE FROM NUTRIENTE"),
                          QStringLiteral("read the nutrients"));
    query.exec();
    QMap<QString, NutrientColumn> nutrients;
    while (query.next()) {
        const QString code = query.value(0).toString();
        nutrients.insert(code, NutrientColumn{code, query.value(1).toString(), query.value(2).toString()});
    }
    return nutrients;
}

// Energy and protein lead, when chosen; the others follow in code order.
QList<NutrientColumn> columnsInOrder(const QStringList& chosen, const QMap<QString, NutrientColumn>& known,
                                     const NutriCardPreparer::GeneralParameters& parameters)
{
    QList<NutrientColumn> columns;
    for (const QString& leading : {parameters.energy, parameters.protein})
        if (!leading.isEmpty() && chosen.contains(leading))
            columns.append(known.value(leading));
    for (auto it = known.cbegin(); it != known.cend(); ++it)
        if (chosen.contains(it.key()) && it.key() != parameters.energy && it.key() != parameters.protein)
            columns.append(*it);
    return columns;
}

QString columnList(const QList<NutrientColumn>& columns)
{
    QString text;
    for (const NutrientColumn& column : columns)
        text += QLatin1Char('_') + column.code;
    return text;
}

} // namespace

NutriCardCriteria NutriCardPreparer::checkedCriteria(const Request& request) const
{
    NutriCardCriteria criteria;
    criteria.kind = ReportKind::parse(request.kind);
    criteria.central = Consiste::Ajusta(request.central, kRequestBranchWidth);
    const QString branch = Consiste::Ajusta(request.branch, kRequestBranchWidth);
    criteria.branch = branch.isEmpty() ? criteria.central : branch;
    criteria.menuType = Consiste::Ajusta(request.menuType, kRequestMenuTypeWidth);
    if (criteria.central.isEmpty())
        throw NutriCardRefusal(QStringLiteral("Filial central deve ser informada."));
    if (criteria.menuType.isEmpty())
        throw NutriCardRefusal(QStringLiteral("Tipo de cardápio deve ser informado."));
    if (!request.firstDay.isValid() || !request.lastDay.isValid())
        throw NutriCardRefusal(QStringLiteral("Período deve ser informado."));
    if (request.firstDay > request.lastDay)
        throw NutriCardRefusal(
            QStringLiteral("Período inválido: o primeiro dia (%1) é posterior ao último (%2).")
                .arg(request.firstDay.toString(QStringLiteral("dd/MM/yyyy")),
                     request.lastDay.toString(QStringLiteral("dd/MM/yyyy"))));
    criteria.firstDay = request.firstDay;
    criteria.lastDay = request.lastDay;
    criteria.services = CodeList::parse(request.services, kServiceWidth, QStringLiteral("serviços"));
    criteria.nutrients = CodeList::parse(request.nutrients, kNutrientWidth, QStringLiteral("nutrientes"));
    criteria.withNdpCal = request.withNdpCal;
    return criteria;
}

void NutriCardPreparer::checkBranches(const NutriCardCriteria& criteria) const
{
    const QSqlDatabase& db = m_context.db();
    if (!hasRow(db, QStringLiteral("SELECT 1 FROM FILIAL WHERE CDFILIAL = :F"),
                {{QStringLiteral(":F"), criteria.central}}, QStringLiteral("read the central branch")))
        throw NutriCardRefusal(QStringLiteral("Filial central %1 não cadastrada.").arg(criteria.central));
    if (!hasRow(db, QStringLiteral("SELECT 1 FROM TIPOCARD WHERE CDFILCENTZVE = :F AND CDTIPOCARD = :T"),
                {{QStringLiteral(":F"), criteria.central}, {QStringLiteral(":T"), criteria.menuType}},
                QStringLiteral("read the menu type")))
        throw NutriCardRefusal(QStringLiteral("Tipo de cardápio %1 não cadastrado para a filial central %2.")
                                   .arg(criteria.menuType, criteria.central));
    if (criteria.branch == criteria.central)
        return;
    if (!hasRow(db, QStringLiteral("SELECT 1 FROM FILIAL WHERE CDFILIAL = :B"),
                {{QStringLiteral(":B"), criteria.branch}}, QStringLiteral("read the branch")))
        throw NutriCardRefusal(QStringLiteral("Filial %1 não cadastrada.").arg(criteria.branch));
    if (!hasRow(db, QStringLiteral("SELECT 1 FROM FILIAL WHERE CDFILIAL = :B AND CDFILCENTZVE = :F"),
                {{QStringLiteral(":B"), criteria.branch}, {QStringLiteral(":F"), criteria.central}},
                QStringLiteral("read the branch")))
        throw NutriCardRefusal(
            QStringLiteral("Filial %1 não agregada à central %2.").arg(criteria.branch, criteria.central));
    if (!hasRow(db,
                QStringLiteral("SELECT 1 FROM FILITIPOCARD WHERE CDFILCENTZVE = :F AND CDFILIAL = :B"
                               " AND CDTIPOCARD = :T AND IDTCARATFILI = 'S'"),
                {{QStringLiteral(":F"), criteria.central},
                 {QStringLiteral(":B"), criteria.branch},
                 {QStringLiteral(":T"), criteria.menuType}},
                QStringLiteral("read the branch's menu types")))
        throw NutriCardRefusal(QStringLiteral("Filial %1 não utiliza o tipo de cardápio %2.")
                                   .arg(criteria.branch, criteria.menuType));
}

void NutriCardPreparer::checkServices(const NutriCardCriteria& criteria) const
{
    if (criteria.services.isEmpty())
        throw NutriCardRefusal(QStringLiteral("Serviço deve ser informado."));
    // A service of the central branch's menu type, or of the report's own branch.
    Kav::BoundQuery query(
        m_context.db(),
        QStringLiteral("SELECT DISTINCT CDSERVFILI FROM SERVFILI WHERE CDTIPOCARD = :T"
                       " AND CDFILIAL IN (:F, :B) AND CDSERVFILI IN (%1)")
            .arg(Kav::BoundQuery::placeholders(QStringLiteral("S"), criteria.services.size())),
        QStringLiteral("read the services"));
    query.bind(QStringLiteral(":T"), criteria.menuType);
    query.bind(QStringLiteral(":F"), criteria.central);
    query.bind(QStringLiteral(":B"), criteria.branch);
    query.bindList(QStringLiteral("S"), criteria.services);
    query.exec();
    QStringList unknown = criteria.services;
    while (query.next())
        unknown.removeAll(query.value(0).toString());
    if (unknown.size() == 1)
        throw NutriCardRefusal(
            QStringLiteral("Serviço %1 não cadastrado para o tipo de cardápio %2 da filial central %3.")
                .arg(unknown.first(), criteria.menuType, criteria.central));
    if (!unknown.isEmpty())
        throw NutriCardRefusal(
            QStringLiteral("Serviços %1 não cadastrados para o tipo de cardápio %2 da filial central %3.")
                .arg(unknown.join(QStringLiteral(", ")), criteria.menuType, criteria.central));
}

NutriCardPreparer::Plan NutriCardPreparer::checkedPlan(const Request& request) const
{
    Plan plan;
    plan.criteria = checkedCriteria(request);
    NutriCardCriteria& criteria = plan.criteria;
    const QSqlDatabase& db = m_context.db();
    checkBranches(criteria);
    checkServices(criteria);
    const QMap<QString, NutrientColumn> known = allNutrients(db);
    if (criteria.kind.allNutrients) {
        criteria.nutrients = known.keys();
    } else {
        if (criteria.nutrients.isEmpty())
            throw NutriCardRefusal(QStringLiteral("Nutriente deve ser informado."));
        for (const QString& code : std::as_const(criteria.nutrients))
            if (!known.contains(code))
                throw NutriCardRefusal(QStringLiteral("Nutriente %1 não cadastrado.").arg(code));
    }
    plan.parameters = generalParameters(db);
    if (criteria.withNdpCal &&
        (!known.contains(plan.parameters.energy) || !known.contains(plan.parameters.protein)))
        throw NutriCardRefusal(
            QStringLiteral("Os parâmetros gerais não indicam nutrientes cadastrados de energia e "
                           "proteína: não é possível calcular o NDpCal%."));
    plan.columns = columnsInOrder(criteria.nutrients, known, plan.parameters);
    return plan;
}

QStringList NutriCardPreparer::fetchedNutrients(const Plan& plan)
{
    QStringList fetched = plan.criteria.nutrients;
    if (plan.criteria.withNdpCal)
        for (const QString& code : {plan.parameters.energy, plan.parameters.protein})
            if (!fetched.contains(code))
                fetched.append(code);
    return fetched;
}

void NutriCardPreparer::addServed(NutriCardBuilder& builder, const NutriCardSource::ServedItem& served,
                                  const NutriCardSource::Compositions& compositions, const Plan& plan,
                                  NutriCardNotes::DishesNotComputed& notComputed)
{
    const QString dishKey = NutriCardSource::dishKey(served.item.dish, served.item.dishOwner);
    const QHash<QString, DishComposition> dish = compositions.value(dishKey);
    if (!compositions.contains(dishKey))
        NutriCardNotes::DishesNotComputed::add(notComputed.withoutRecipe, served.item);
    else if (served.portions <= 0.0)
        NutriCardNotes::DishesNotComputed::add(notComputed.withoutYield, served.item);
    // The recipe's amount per portion, times the portion this menu serves.
    const auto asServed = [&](const QString& code) {
        return dish.value(code).perPortion(served.portions).scaledBy(served.servedPortions);
    };
    QHash<QString, NutrientAmount> amounts;
    for (const NutrientColumn& column : plan.columns)
        amounts.insert(column.code, asServed(column.code));
    builder.addItem(served.item, amounts, asServed(plan.parameters.energy),
                    dish.value(plan.parameters.protein)
                        .netProteinPerPortion(served.portions)
                        .scaledBy(served.servedPortions));
}

NutriCardSource::MenuDays NutriCardPreparer::checkedMenuDays(const NutriCardCriteria& criteria,
                                                             const NutriCardSource& source)
{
    const NutriCardSource::MenuDays menuDays = source.menuDays(criteria);
    if (!menuDays.firstItem.isValid())
        throw NutriCardRefusal(QStringLiteral("Não há cardápio de %1 a %2 para os serviços informados.")
                                   .arg(criteria.firstDay.toString(QStringLiteral("dd/MM/yyyy")),
                                        criteria.lastDay.toString(QStringLiteral("dd/MM/yyyy"))));
    return menuDays;
}

NutriCardNotes::DishesNotComputed
NutriCardPreparer::storeRows(const Plan& plan, const NutriCardSource& source, const NutriCardWriter& writer,
                             const QString& key, const NutriCardSource::MenuDays& menuDays) const
{
    const NutriCardCriteria& criteria = plan.criteria;
    NutriCardNotes::DishesNotComputed notComputed;
    // The compositions are bounded by the dishes there are; the menu items and the rows grow
    // with the period, so they are read, built and stored a few whole weeks at a time.
    const NutriCardSource::Compositions compositions = source.compositions(criteria, fetchedNutrients(plan));
    int line = 0;
    int dishLine = 0;
    // Day and week rows cover every dish type; the figures of each dish let a layout sum some.
    // NDpCal% is always summed from the dishes a layout covers, so the per-dish kind keeps each
    // dish's energy and net protein too.
    const bool withDishFigures = criteria.kind.layout != ReportKind::Layout::PerDish;
    for (QDate start = menuDays.firstItem.addDays(1 - menuDays.firstItem.dayOfWeek());
         start <= criteria.lastDay; start = start.addDays(kDaysPerBatch)) {
        // Nobody will read what a client that went away asked for: stop rather than finish it.
        if (m_context.clientGone())
            throw Kav::Exception(QStringLiteral("the client went away; the preparation was stopped"));
        NutriCardCriteria batch = criteria;
        batch.firstDay = std::max(start, criteria.firstDay);
        batch.lastDay = std::min(start.addDays(kDaysPerBatch - 1), criteria.lastDay);
        NutriCardBuilder builder(criteria.firstDay, plan.columns, criteria.withNdpCal, menuDays.firstCounted);
        for (const NutriCardSource::ServedItem& served : source.items(batch))
            addServed(builder, served, compositions, plan, notComputed);
        line = writer.appendRows(key, builder.rows(criteria.kind.layout), line);
        dishLine = writer.appendDishFigures(
            key, withDishFigures ? builder.dishFigures() : builder.dietFigures(), dishLine);
    }
    return notComputed;
}

NutriCardPreparer::Result NutriCardPreparer::prepare(const Request& request)
{
    // Everything that can refuse the criteria runs before a key is taken: a refusal leaves none.
    const Plan plan = checkedPlan(request);
    const NutriCardCriteria& criteria = plan.criteria;
    QSqlDatabase& db = m_context.db();
    const NutriCardSource source(db);
    const NutriCardSource::MenuDays menuDays = checkedMenuDays(criteria, source);
    const QString key = NutriCardKeyGenerator(db).next();

    Kav::DbTransaction transaction(db, Kav::DbTransaction::Kind::Write);
    const NutriCardWriter writer(db);
    const NutriCardCoverage coverage = NutriCardCoverage::of(db, criteria);
    writer.writeHeader(key, QDateTime::currentDateTimeUtc(), criteria, request.kind.trimmed().toUpper(),
                       coverage.comparedShare);
    const NutriCardNotes::DishesNotComputed notComputed = storeRows(plan, source, writer, key, menuDays);
    const NutriCardSource::MissingValues missing = source.missingValues(criteria, criteria.nutrients);
    writer.writeNotes(key, NutriCardNotes::lines(coverage.notes, plan.columns, missing, notComputed));
    m_context.commit(transaction);

    Result result;
    result.key = key;
    result.columns = columnList(plan.columns);
    result.branch = criteria.branch;
    result.nutrients = CodeList::join(criteria.nutrients);
    result.services = CodeList::join(criteria.services);
    return result;
}

} // namespace KavServer::Zve41300
