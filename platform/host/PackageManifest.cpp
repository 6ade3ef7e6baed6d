#include "PackageManifest.h"

#include "KavException.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kSuffix = QStringLiteral(".json");

[[noreturn]] void refuse(const QString& package, const QString& why)
{
    throw Kav::Exception(QStringLiteral("O pacote %1 não pode ser aberto: %2").arg(package, why));
}

} // namespace

namespace Kav::Host {

HostInterface HostInterface::ofThisHost()
{
    return {KAV_OLDEST_HOST_INTERFACE, KAV_HOST_INTERFACE};
}

PackageManifest PackageManifest::read(const QString& packageDir, const QString& package)
{
    const QString path = QDir(packageDir).filePath(package + kSuffix);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        refuse(package, QStringLiteral("falta o seu manifesto, %1. Reinstale o pacote.").arg(path));
    QJsonParseError error{};
    const QJsonObject json = QJsonDocument::fromJson(file.readAll(), &error).object();
    PackageManifest manifest{json.value(QLatin1String("name")).toString(),
                             json.value(QLatin1String("version")).toString(),
                             json.value(QLatin1String("hostInterface")).toInt()};
    if (error.error != QJsonParseError::NoError || manifest.name.isEmpty() || manifest.version.isEmpty() ||
        manifest.hostInterface <= 0)
        refuse(package, QStringLiteral("o manifesto %1 não traz o nome, a versão e a interface do kavhost "
                                       "do pacote. Reinstale o pacote.")
                            .arg(path));
    if (manifest.name != package)
        refuse(package,
               QStringLiteral("o manifesto %1 é do pacote %2. Reinstale o pacote.").arg(path, manifest.name));
    return manifest;
}

QString PackageManifest::misfit(const HostInterface& host) const
{
    if (hostInterface < host.oldest)
        return QStringLiteral(
                   "O pacote %1 (versão %2) foi feito para a interface %3 do kavhost, anterior às que "
                   "este kavhost atende (%4 a %5). Instale a versão do pacote que acompanha este "
                   "kavhost.")
            .arg(name, version)
            .arg(hostInterface)
            .arg(host.oldest)
            .arg(host.current);
    if (hostInterface > host.current)
        return QStringLiteral(
                   "O pacote %1 (versão %2) exige a interface %3 do kavhost, mais nova que a %4 deste "
                   "kavhost. Atualize o kavhost.")
            .arg(name, version)
            .arg(hostInterface)
            .arg(host.current);
    return {};
}

void PackageManifest::requireFits(const HostInterface& host) const
{
    if (const QString why = misfit(host); !why.isEmpty())
        throw Kav::Exception(why);
}

} // namespace Kav::Host
