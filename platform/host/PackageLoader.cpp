#include "PackageLoader.h"

#include "KavException.h"

#include <QDir>
#include <QLibrary>

namespace Kav::Host {

const char* const PackageLoader::contextEntry = "AttachClientContext";

PackageLoader::PackageLoader(Kav::ClientContext& context, QString packageDir, HostInterface host)
    : m_context(context), m_packageDir(std::move(packageDir)), m_host(host)
{}

// QLibrary's destructor leaves the library loaded; nothing here unloads.
PackageLoader::~PackageLoader() = default;

bool PackageLoader::isLoaded(const QString& package) const
{
    const auto found = m_libraries.constFind(package);
    return found != m_libraries.cend() && (*found)->isLoaded();
}

QLibrary& PackageLoader::library(const QString& package)
{
    // Nothing of a package that does not fit is loaded: its code may not even link with this host.
    if (!m_libraries.contains(package))
        PackageManifest::read(m_packageDir, package).requireFits(m_host);
    auto& slot = m_libraries[package];
    if (!slot) {
        slot = std::make_shared<QLibrary>(QDir(m_packageDir).filePath(package));
        // Every symbol is bound at load: a package built against missing code is refused with
        // the loader's reason instead of ending the host when the missing code is first called.
        slot->setLoadHints(QLibrary::ResolveAllSymbolsHint);
    }
    if (!slot->isLoaded() && !slot->load())
        throw Kav::Exception(slot->errorString());
    return *slot;
}

void PackageLoader::callEntry(const QString& package, const char* entry)
{
    QLibrary& loaded = library(package);
    using Entry = void (*)();
    const auto function = reinterpret_cast<Entry>(loaded.resolve(entry));
    // The loader's own reason may say no more than "Unknown error" here: name what is missing.
    if (!function) {
        throw Kav::Exception(QStringLiteral("%1 has no entry %2 (%3)")
                                 .arg(loaded.fileName(), QLatin1String(entry), loaded.errorString()));
    }
    // Given at every call, not once at load: the package works for the host that calls it now.
    if (const auto attach = reinterpret_cast<void (*)(Kav::ClientContext*)>(loaded.resolve(contextEntry)))
        attach(&m_context);
    try {
        function();
    } catch (const Kav::Exception&) {
        throw;
    } catch (const std::exception& error) {
        throw Kav::Exception(QStringLiteral("%1 of %2: %3").arg(QLatin1String(entry), package, error.what()));
    } catch (...) {
        throw Kav::Exception(QStringLiteral("%1 of %2 failed").arg(QLatin1String(entry), package));
    }
}

} // namespace Kav::Host
