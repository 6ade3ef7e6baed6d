#include "BenchReport.h"

#include "BenchData.h"
#include "CallContext.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "RdmNutriCard.h"
#include "RemoteDataModule.h"
#include "ReportQuery.h"

using namespace KavServer;
using namespace KavServer::Zve41300;

namespace {

constexpr int kNutrientColumns = 8;
const QString kNutrients = QStringLiteral("001_002_003_004_005_006_007_008");

} // namespace

BenchReport::BenchReport(QSqlDatabase db, Kav::DatabaseUrl::Engine engine, const Qr::ReportLayout& layout,
                         BenchPeriod period)
    : m_db(std::move(db)), m_engine(engine), m_layout(layout), m_period(std::move(period))
{}

QString BenchReport::prepare()
{
    const auto module = Zve41300::makeRdmNutriCard();
    CallContext call(m_db, m_engine,
                     {m_period.central, m_period.central, kNutrients,
                      BenchData::servicesOf(m_db, m_period.central, m_period.menuType), m_period.first,
                      m_period.last, false, false, true, m_period.menuType, QStringLiteral("NL")},
                     nullptr);
    const QVariant answer = module->method(QStringLiteral("CriaNutriCard"))->run(call);
    if (answer.metaType().id() != QMetaType::QVariantList)
        throw Kav::Exception(QStringLiteral("CriaNutriCard refused: %1").arg(answer.toString()));
    return answer.toList().value(0).toString();
}

TParams BenchReport::params(const QString& key) const
{
    TParams params = m_layout.createParams();
    const QStringList codes = kNutrients.split(QLatin1Char('_'));
    for (int i = 0; i < kNutrientColumns; ++i)
        if (Qr::TParam* param = params.FindParam(QStringLiteral("P_NUTRIENTE%1").arg(i + 1)))
            param->setAsString(codes.value(i));
    const QString first = m_period.first.toString(Qt::ISODate);
    const QString last = m_period.last.toString(Qt::ISODate);
    const QList<std::pair<QString, QString>> values{{"P_NRSEQUNUTR", key},
                                                    {"P_CDFILCENTZVE", m_period.central},
                                                    {"P_NMFILCENTZVE", "Cozinha central"},
                                                    {"P_CDTIPOCARD", m_period.menuType},
                                                    {"P_NMTIPOCARD", "Tipo"},
                                                    {"P_DTPERIINI", first},
                                                    {"P_DTPERIFIN", last},
                                                    {"P_NDPCAL", "S"},
                                                    {"P_OPCAO", "N"},
                                                    {"P_TODASOPCAO", "T"},
                                                    {"P_LISTATPRATO", ""},
                                                    {"P_TODOSTPRATO", "T"}};
    for (const auto& [name, value] : values)
        if (Qr::TParam* param = params.FindParam(name))
            param->setAsString(value);
    return params;
}

Qr::ReportData BenchReport::read(const QString& key) const
{
    return Qr::ReportQuery::run(m_db, m_layout.query, params(key));
}

void BenchReport::remove(const QString& key)
{
    const auto module = Zve41300::makeRdmNutriCard();
    CallContext call(m_db, m_engine, {key}, nullptr);
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    module->method(QStringLiteral("DelNutriCard"))->run(call);
    transaction.commit();
}
