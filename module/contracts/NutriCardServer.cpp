#include "NutriCardServer.h"

#include "KavException.h"
#include "NutriCardData.h"
#include "RdmNutriCardContract.h"
#include "TNetConnection.h"

#include <utility>

namespace {

namespace Contract = RdmNutriCardContract;

// Calls `method` on the application-server object of `connection`, with as many arguments as
// the method declares.
template <std::size_t ArgCount, class... Args>
QVariant callMethod(TNetConnection* connection, const Contract::Method<ArgCount>& method,
                    const Kav::CallActivity& activity, Args&&... args)
{
    static_assert(sizeof...(Args) == ArgCount, "the call does not pass the arguments the method declares");
    if (!connection)
        throw Kav::Exception(QStringLiteral("A tela não tem conexão com o servidor de aplicação."));
    return connection->AppServer().call(QLatin1String(method.name),
                                        {Kav::RemoteArg(std::forward<Args>(args))...}, activity);
}

constexpr NutriCardServer::ActivityKeys kServicos{"Busca_Serv", "Busca_Serv_Acao"};
constexpr NutriCardServer::ActivityKeys kPeriodos{"Busca_Period", "Busca_Period_Acao"};
constexpr NutriCardServer::ActivityKeys kPreparo{"Prepara_Rel", "Prepara_Rel_Acao"};
constexpr NutriCardServer::ActivityKeys kLimpeza{"Apaga_Rel", "Apaga_Rel_Acao"};

} // namespace

NutriCardServer::NutriCardServer(TNetConnection* connection, Wording wording)
    : m_connection(connection), m_wording(wording ? std::move(wording) : Wording(&NutriCardData::message))
{}

Kav::CallActivity NutriCardServer::activity(const ActivityKeys& keys) const
{
    return {m_wording(QLatin1String(keys.doing)), m_wording(QLatin1String(keys.action))};
}

QVariant NutriCardServer::GetServico(const QString& filial, const QString& tipoCard) const
{
    return callMethod(m_connection, Contract::GetServico, activity(kServicos), filial, tipoCard);
}

QVariant NutriCardServer::GetPesqPeriodoCard(const QString& filial, const QString& tipoCard) const
{
    return callMethod(m_connection, Contract::GetPesqPeriodoCard, activity(kPeriodos), filial, tipoCard);
}

QVariant NutriCardServer::CriaNutriCard(const QString& filCentral, QString& filial, QString& listaNutr,
                                        QString& listaServ, const QDateTime& dtInicial,
                                        const QDateTime& dtFinal, bool reservado1, bool reservado2,
                                        bool imprimeNdpCal, const QString& tipoCard,
                                        const QString& tipoRel) const
{
    return callMethod(m_connection, Contract::CriaNutriCard, activity(kPreparo), filCentral,
                      Kav::RemoteArg::byRef(filial), Kav::RemoteArg::byRef(listaNutr),
                      Kav::RemoteArg::byRef(listaServ), dtInicial.date(), dtFinal.date(), reservado1,
                      reservado2, imprimeNdpCal, tipoCard, tipoRel);
}

QVariant NutriCardServer::DelNutriCard(QString& nrSequNutr) const
{
    return callMethod(m_connection, Contract::DelNutriCard, activity(kLimpeza),
                      Kav::RemoteArg::byRef(nrSequNutr));
}
