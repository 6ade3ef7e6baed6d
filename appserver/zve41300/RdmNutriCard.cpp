#include "RdmNutriCard.h"

#include "BoundQuery.h"
#include "CallContext.h"
#include "ConsisteCore.h"
#include "DataPacket.h"
#include "NutriCardExpirySweep.h"
#include "NutriCardKeyGenerator.h"
#include "NutriCardPreparer.h"
#include "NutriCardRefusal.h"
#include "NutriCardWriter.h"

#include <algorithm>

namespace KavServer::Zve41300 {

namespace {

using Kav::FieldDef;
namespace Contract = RdmNutriCardContract;

constexpr int kBranchWidth = 4;
constexpr int kMenuTypeWidth = 10;
// A service row's selection mark, which the screen neither reads nor writes.
const QString kUnmarked = QStringLiteral("N");

// GetServico(branch, menu type): the services in their order of the day.
QVariant getServico(CallContext& context)
{
    const QString branch = Consiste::Ajusta(context.text(0), kBranchWidth);
    const QString menuType = Consiste::Ajusta(context.text(1), kMenuTypeWidth);
    Kav::DataPacket packet;
    packet.fields = {{QStringLiteral("IDMARCADO"), FieldDef::Type::FixedString, 1},
                     {QStringLiteral("CDFILIAL"), FieldDef::Type::String, 4},
                     {QStringLiteral("CDTIPOCARD"), FieldDef::Type::String, 10},
                     {QStringLiteral("CDSERVFILI"), FieldDef::Type::String, 5},
                     {QStringLiteral("NMSERVICO"), FieldDef::Type::String, 40}};
    Kav::BoundQuery query(
        context.db(),
        QStringLiteral("SELECT CDFILIAL, CDTIPOCARD, CDSERVFILI, NMSERVICO FROM SERVFILI"
                       " WHERE CDFILIAL = :F AND CDTIPOCARD = :T ORDER BY NRORDSERV, CDSERVFILI"),
        QStringLiteral("read the services"));
    query.bind(QStringLiteral(":F"), branch);
    query.bind(QStringLiteral(":T"), menuType);
    query.exec();
    while (query.next())
        packet.rows.append({kUnmarked, query.value(0).toString(), query.value(1).toString(),
                            query.value(2).toString(), query.value(3).toString()});
    return QVariant::fromValue(packet);
}

// GetPesqPeriodoCard(central branch, menu type): the registered menus, most recent first.
QVariant getPesqPeriodoCard(CallContext& context)
{
    const QString central = Consiste::Ajusta(context.text(0), kBranchWidth);
    const QString menuType = Consiste::Ajusta(context.text(1), kMenuTypeWidth);
    Kav::DataPacket packet;
    packet.fields = {{QStringLiteral("NRCARDZVE"), FieldDef::Type::String, 10},
                     {QStringLiteral("DTINICARDZVE"), FieldDef::Type::Date, 0},
                     {QStringLiteral("DTFINCARDZVE"), FieldDef::Type::Date, 0},
                     {QStringLiteral("DSCARDZVE"), FieldDef::Type::String, 100}};
    Kav::BoundQuery query(
        context.db(),
        QStringLiteral("SELECT NRCARDZVE, DTINICARDZVE, DTFINCARDZVE, DSCARDZVE FROM CARDZVE"
                       " WHERE CDFILCENTZVE = :F AND CDTIPOCARD = :T"
                       " ORDER BY DTINICARDZVE DESC, NRCARDZVE DESC"),
        QStringLiteral("read the menu periods"));
    query.bind(QStringLiteral(":F"), central);
    query.bind(QStringLiteral(":T"), menuType);
    query.exec();
    while (query.next())
        packet.rows.append({query.value(0).toString(), query.value(1).toDate(), query.value(2).toDate(),
                            query.value(3).isNull() ? QVariant() : query.value(3)});
    return QVariant::fromValue(packet);
}

// CriaNutriCard: eleven arguments, three texts by reference. Arguments 7 and 8 are kept for
// the screen's call and have no effect.
QVariant criaNutriCard(CallContext& context)
{
    NutriCardPreparer::Request request;
    request.central = context.text(0);
    request.branch = context.text(1);
    request.nutrients = context.text(2);
    request.services = context.text(3);
    request.firstDay = context.date(4);
    request.lastDay = context.date(5);
    request.withNdpCal = context.flag(8);
    request.menuType = context.text(9);
    request.kind = context.text(10);
    try {
        const NutriCardPreparer::Result result = NutriCardPreparer(context).prepare(request);
        context.setArg(1, result.branch);
        context.setArg(2, result.nutrients);
        context.setArg(3, result.services);
        return QVariantList{result.key, result.columns};
    } catch (const NutriCardRefusal& refusal) {
        return refusal.message();
    }
}

// A preparation whose answer never reached the screen: nobody holds its key to read or delete it.
void removeUndelivered(CallContext& context, const QVariant& answer)
{
    const QVariantList keyAndColumns = answer.toList();
    if (answer.metaType().id() == QMetaType::QVariantList && !keyAndColumns.isEmpty())
        NutriCardWriter(context.db()).remove(keyAndColumns.first().toString());
}

// A key as CriaNutriCard hands it out: digits only, no blank, no sign.
bool isWellFormedKey(const QString& key)
{
    return key.size() <= NutriCardKeyGenerator::kMaxKeyLength &&
           std::all_of(key.begin(), key.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// DelNutriCard(key): an empty text once the key's data is gone, also when it was gone before, and
// for no key at all. A key written otherwise than it was handed out (" 1", "+1") names no data:
// it is refused rather than read as another key.
QVariant delNutriCard(CallContext& context)
{
    const QString key = context.text(0);
    if (!isWellFormedKey(key))
        return QStringLiteral("Chave de dados preparados inválida: \"%1\".")
            .arg(key.left(NutriCardKeyGenerator::kMaxKeyLength + 1));
    if (!key.isEmpty())
        NutriCardWriter(context.db()).remove(key);
    return QString();
}

RemoteMethod::Arg serverArg(Contract::Arg arg)
{
    switch (arg) {
    case Contract::Arg::Text:
        return RemoteMethod::Arg::Text;
    case Contract::Arg::Date:
        return RemoteMethod::Arg::Date;
    case Contract::Arg::Boolean:
        return RemoteMethod::Arg::Boolean;
    }
    Q_UNREACHABLE();
}

// The method as the contract declares it, answered by `run`.
template <std::size_t ArgCount>
RemoteMethod declared(const Contract::Method<ArgCount>& method, RemoteMethod::Transaction transaction,
                      QVariant (*run)(CallContext&))
{
    QList<RemoteMethod::Arg> args;
    for (const Contract::Arg arg : method.args)
        args.append(serverArg(arg));
    return {QLatin1String(method.name), args, transaction, run};
}

} // namespace

std::shared_ptr<RemoteDataModule> makeRdmNutriCard()
{
    auto module = std::make_shared<RemoteDataModule>(kServerName);
    module->addMethod(declared(Contract::GetServico, RemoteMethod::Transaction::Read, getServico));
    module->addMethod(
        declared(Contract::GetPesqPeriodoCard, RemoteMethod::Transaction::Read, getPesqPeriodoCard));
    RemoteMethod cria = declared(Contract::CriaNutriCard, RemoteMethod::Transaction::Own, criaNutriCard);
    cria.undoUndelivered = removeUndelivered;
    module->addMethod(cria);
    module->addMethod(declared(Contract::DelNutriCard, RemoteMethod::Transaction::Write, delNutriCard));
    return module;
}

RemoteMethod nutriCardExpiryTask(std::chrono::minutes maxAge)
{
    return {QStringLiteral("NutriCardExpiry"),
            {},
            RemoteMethod::Transaction::Own,
            [maxAge](CallContext& context) {
                const QDateTime limit = QDateTime::currentDateTimeUtc().addSecs(
                    -std::chrono::duration_cast<std::chrono::seconds>(maxAge).count());
                NutriCardExpirySweep sweep(context.db());
                const int removed = sweep.removeCreatedBefore(limit);
                if (removed > 0 && context.engine() == Kav::DatabaseUrl::Engine::SQLite)
                    sweep.giveSpaceBack();
                return QVariant(QStringLiteral("%1 expired keys removed").arg(removed));
            }};
}

} // namespace KavServer::Zve41300
