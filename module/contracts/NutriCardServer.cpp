#include "NutriCardServer.h"

#include "KavException.h"
#include "TNetConnection.h"

namespace {

Kav::AppServer appServerOf(TNetConnection* connection)
{
    if (!connection)
        throw Kav::Exception(QStringLiteral("A tela não tem conexão com o servidor de aplicação."));
    return connection->AppServer();
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
    return appServerOf(m_connection).call(QStringLiteral("GetServico"), {filial, tipoCard}, kServicos);
}

QVariant NutriCardServer::GetPesqPeriodoCard(const QString& filial, const QString& tipoCard) const
{
    return appServerOf(m_connection)
        .call(QStringLiteral("GetPesqPeriodoCard"), {filial, tipoCard}, kPeriodos);
}

QVariant NutriCardServer::CriaNutriCard(const QString& filCentral, QString& filial, QString& listaNutr,
                                        QString& listaServ, const QDateTime& dtInicial,
                                        const QDateTime& dtFinal, bool reservado1, bool reservado2,
                                        bool imprimeNdpCal, const QString& tipoCard,
                                        const QString& tipoRel) const
{
    return appServerOf(m_connection)
        .call(QStringLiteral("CriaNutriCard"),
              {filCentral, Kav::RemoteArg::byRef(filial), Kav::RemoteArg::byRef(listaNutr),
               Kav::RemoteArg::byRef(listaServ), dtInicial.date(), dtFinal.date(), reservado1, reservado2,
               imprimeNdpCal, tipoCard, tipoRel},
              kPreparo);
}

QVariant NutriCardServer::DelNutriCard(QString& nrSequNutr) const
{
    return appServerOf(m_connection)
        .call(QStringLiteral("DelNutriCard"), {Kav::RemoteArg::byRef(nrSequNutr)}, kLimpeza);
}
