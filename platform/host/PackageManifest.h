#pragma once
// What a screen's package says of itself in the manifest beside it (PACKAGE.json): its name, its
// version and the host interface it was built against. The host reads it before loading the
// package, so a package of another host version is refused with a message instead of failing to
// load, or loading and breaking at its first call.

#include <QString>

namespace Kav::Host {

// The interfaces a host serves: packages built against `oldest` .. `current`.
struct HostInterface
{
    int oldest;
    int current;

    // This host's, as the build sets it (cmake/KavPackageManifest.cmake).
    static HostInterface ofThisHost();
};

struct PackageManifest
{
    QString name;
    QString version;
    int hostInterface = 0;

    // The manifest of `package` in `packageDir`. Throws Kav::Exception, in the user's words, when
    // it is missing or not a manifest of that package.
    static PackageManifest read(const QString& packageDir, const QString& package);

    // Why a host serving `host` must not open this package; empty when it fits.
    QString misfit(const HostInterface& host) const;
    // Throws Kav::Exception with the misfit, if there is one.
    void requireFits(const HostInterface& host) const;
};

} // namespace Kav::Host
