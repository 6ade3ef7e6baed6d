#pragma once
// Puts the host in Brazilian Portuguese: Qt's own texts (buttons and titles of the file, print
// and page-setup dialogs) from Qt's translations, and the pt_BR locale for numbers and dates.

class QCoreApplication;

namespace Kav::Host {

class HostLanguage
{
public:
    // Installs the translation on `app`. False when Qt's Brazilian Portuguese translation is
    // not installed (Debian's qt6-translations-l10n): Qt's texts then stay in English.
    static bool install(QCoreApplication& app);
};

} // namespace Kav::Host
