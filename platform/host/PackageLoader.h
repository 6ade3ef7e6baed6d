#pragma once
// Loads the screens' packages (shared libraries beside the host) and calls their entries, handing
// each package the host's client context first. A package is loaded only when its manifest
// (PackageManifest) fits the host's interface. A package once loaded stays loaded until the
// process ends: its forms and the code behind their handlers must outlive any window.

#include "PackageManifest.h"

#include <memory>
#include <QHash>
#include <QString>

class QLibrary;
namespace Kav {
class ClientContext;
}

namespace Kav::Host {

class PackageLoader
{
public:
    // The entry through which a package is given the client context its forms work for: a plain
    // C function taking a Kav::ClientContext*. A package without forms need not offer it.
    static const char* const contextEntry;

    PackageLoader(Kav::ClientContext& context, QString packageDir,
                  HostInterface host = HostInterface::ofThisHost());
    ~PackageLoader();
    PackageLoader(const PackageLoader&) = delete;
    PackageLoader& operator=(const PackageLoader&) = delete;

    // Loads `package` ("Pkg_Zve41300" is libPkg_Zve41300.so in the package folder) if needed,
    // hands it the context (contextEntry), and calls its entry `entry` (a plain C function
    // without arguments). Throws Kav::Exception when the package's manifest is missing or does
    // not fit the host (nothing of the package is loaded then), with the loader's own reason when
    // the package or the entry is missing, and turns anything the entry lets escape into a
    // Kav::Exception.
    void callEntry(const QString& package, const char* entry);

    bool isLoaded(const QString& package) const;

private:
    QLibrary& library(const QString& package);

    Kav::ClientContext& m_context;
    QString m_packageDir;
    HostInterface m_host;
    QHash<QString, std::shared_ptr<QLibrary>> m_libraries;
};

} // namespace Kav::Host
