#include "Cli_Zve41300.h"

#include "ClientContext.h"
#include "DialogService.h"
#include "KavException.h"

#include <exception>

// The entry takes no arguments: the host's client context reaches it as the current one.
extern "C" void IniProc()
{
    try {
        Cli_Zve41300::CriaNutriCard();
    } catch (const Kav::SilentAbort&) {
        // Its message was shown by whoever raised it.
    } catch (const Kav::Exception& error) {
        Kav::dialogs().showError(error.message());
    } catch (const std::exception& error) {
        Kav::dialogs().showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        Kav::dialogs().showError(QStringLiteral("Erro inesperado ao abrir a tela Nutrientes do Cardápio."));
    }
}
