#include "Kavenso.h"

#include "ClientContext.h"
#include "ConsisteCore.h"
#include "LocalCache.h"
#include "TDBPicture.h"

namespace Kavenso {

namespace {
// Width of the codes FILIAL stores.
constexpr int kFilialWidth = 4;

const QString kMatriz = QStringLiteral("M");
const QString kLicenciada = QStringLiteral("F");
// Refusals: five characters of code, then the reason.
const QString kNaoCadastrada = QStringLiteral("FL001");
const QString kRescindida = QStringLiteral("FL002");
const QString kSemLicenca = QStringLiteral("FL003");

// The current client's: the unit's functions have the signatures the screens' code calls, with no
// object to reach a context through; the current one is the client whose command runs.
const Session& session()
{
    return Kav::ClientContext::current().session();
}
} // namespace

void SetSession(const Session& newSession)
{
    Kav::ClientContext::current().setSession(newSession);
}

const Session& CurrentSession()
{
    return session();
}

QString FiliProc()
{
    return session().filial;
}

QString WebURL()
{
    return session().webUrl;
}

int WebPort()
{
    return session().webPort;
}

// A rescinded contract refuses even the head office; the module licence is asked only of the
// other branches, and only when `checkLicence` is true.
QString ModuFili(const QString& filial, bool checkLicence)
{
    const QString code = Consiste::Ajusta(filial, kFilialWidth);
    const auto row = Kav::ClientContext::current().localCache().filial(code);
    if (!row)
        return kNaoCadastrada + QStringLiteral("Filial %1 não cadastrada.").arg(code);
    if (row->rescindido)
        return kRescindida + QStringLiteral("Filial %1 com contrato rescindido.").arg(code);
    if (row->matriz)
        return kMatriz;
    if (checkLicence && !row->moduloZve)
        return kSemLicenca +
               QStringLiteral("Filial %1 não licenciada para o módulo de alimentação escolar.").arg(code);
    return kLicenciada;
}

void AtualizaLocalCache(const QStringList& tables)
{
    Kav::ClientContext::current().localCache().refresh(tables);
}

QString DBPict(int kind)
{
    return DBPictObj(kind)->GetMascara();
}

TDBPicture* DBPictObj(int kind)
{
    return Kav::ClientContext::current().localCache().picture(kind);
}

} // namespace Kavenso
