#pragma once
// Loads the screens' packages (shared libraries beside the host) and calls their entries.
// A package is loaded only when its manifest (PackageManifest) fits the host's interface.
// A package once loaded stays loaded until the process ends: its forms and the code behind
// their handlers must outlive any window.

#include "PackageManifest.h"

#include <memory>
#include <QHash>
#include <QString>

class QLibrary;

namespace Kav::Host {

class PackageLoader
{
public:
    explicit PackageLoader(QString packageDir, HostInterface host = HostInterface::ofThisHost());
    ~PackageLoader();
    PackageLoader(const PackageLoader&) = delete;
    PackageLoader& operator=(const PackageLoader&) = delete;

    // Loads `package` ("Pkg_Zve41300" is libPkg_Zve41300.so in the package folder) if needed and
    // calls its entry `entry` (a plain C function without arguments). Throws Kav::Exception when
    // the package's manifest is missing or does not fit the host (nothing of the package is loaded
    // then), with the loader's own reason when the package or the entry is missing, and turns
    // anything the entry lets escape into a Kav::Exception.
    void callEntry(const QString& package, const char* entry);

    bool isLoaded(const QString& package) const;

private:
    QLibrary& library(const QString& package);

    QString m_packageDir;
    HostInterface m_host;
    QHash<QString, std::shared_ptr<QLibrary>> m_libraries;
};

} // namespace Kav::Host
