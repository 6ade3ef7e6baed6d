#include "Cli_Zve41300.h"

#include "DialogService.h"
#include "KavException.h"

#include <exception>

extern "C" void IniProc()
{
    auto& dialogs = Kav::DialogService::instance();
    try {
        Cli_Zve41300::CriaNutriCard();
    } catch (const Kav::SilentAbort&) {
        // Its message was shown by whoever raised it.
    } catch (const Kav::Exception& error) {
        dialogs.showError(error.message());
    } catch (const std::exception& error) {
        dialogs.showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        dialogs.showError(QStringLiteral("Erro inesperado ao abrir a tela Nutrientes do Cardápio."));
    }
}
