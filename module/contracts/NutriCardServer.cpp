#include "NutriCardServer.h"

#include "KavException.h"
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

const Kav::CallActivity kServicos{QStringLiteral("Buscando os serviços"),
                                  QStringLiteral("buscar os serviços")};
const Kav::CallActivity kPeriodos{QStringLiteral("Buscando os períodos do cardápio"),
                                  QStringLiteral("buscar os períodos do cardápio")};
const Kav::CallActivity kPreparo{QStringLiteral("Preparando o relatório"),
                                 QStringLiteral("preparar o relatório")};
const Kav::CallActivity kLimpeza{QStringLiteral("Apagando os dados do relatório"),
                                 QStringLiteral("apagar os dados do relatório")};

} // namespace

QVariant NutriCardServer::GetServico(const QString& filial, const QString& tipoCard) const
{
    return callMethod(m_connection, Contract::GetServico, kServicos, filial, tipoCard);
}

QVariant NutriCardServer::GetPesqPeriodoCard(const QString& filial, const QString& tipoCard) const
{
    return callMethod(m_connection, Contract::GetPesqPeriodoCard, kPeriodos, filial, tipoCard);
}

QVariant NutriCardServer::CriaNutriCard(const QString& filCentral, QString& filial, QString& listaNutr,
                                        QString& listaServ, const QDateTime& dtInicial,
                                        const QDateTime& dtFinal, bool reservado1, bool reservado2,
                                        bool imprimeNdpCal, const QString& tipoCard,
                                        const QString& tipoRel) const
{
    return callMethod(m_connection, Contract::CriaNutriCard, kPreparo, filCentral,
                      Kav::RemoteArg::byRef(filial), Kav::RemoteArg::byRef(listaNutr),
                      Kav::RemoteArg::byRef(listaServ), dtInicial.date(), dtFinal.date(), reservado1,
                      reservado2, imprimeNdpCal, tipoCard, tipoRel);
}

QVariant NutriCardServer::DelNutriCard(QString& nrSequNutr) const
{
    return callMethod(m_connection, Contract::DelNutriCard, kLimpeza, Kav::RemoteArg::byRef(nrSequNutr));
}
