#include "Cli_Zve41300.h"

#include "ClientContext.h"
#include "DialogService.h"
#include "KavException.h"

#include <exception>
#include <QDebug>

namespace {

// In the host's dialogs; on the standard error when no host gave its context.
void showError(const QString& message)
{
    if (Kav::ClientContext* context = Cli_Zve41300::hostContext)
        context->dialogs().showError(message);
    else
        qCritical().noquote() << message;
}

} // namespace

extern "C" void AttachClientContext(Kav::ClientContext* context)
{
    Cli_Zve41300::hostContext = context;
}

// The entry takes no arguments: the host handed its client context just before
// (AttachClientContext).
extern "C" void IniProc()
{
    try {
        Cli_Zve41300::CriaNutriCard();
    } catch (const Kav::SilentAbort&) {
        // Its message was shown by whoever raised it.
    } catch (const Kav::Exception& error) {
        showError(error.message());
    } catch (const std::exception& error) {
        showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showError(QStringLiteral("Erro inesperado ao abrir a tela Nutrientes do Cardápio."));
    }
}
