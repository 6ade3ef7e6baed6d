#include "ClientContext.h"

#include "CallWait.h"
#include "CallWaitPanel.h"
#include "DialogService.h"
#include "KavException.h"
#include "LocalCache.h"

#include <QMdiArea>

namespace Kav {

// Installs the context's wait panel, and puts back what was there before when it ends. (The
// context is made current by its non-visual core, which it is.)
class ClientContext::Installation
{
public:
    Installation() : m_previousPresenter(setCallWaitPresenter(&CallWaitPanel::present)) {}
    ~Installation() { setCallWaitPresenter(std::move(m_previousPresenter)); }

private:
    CallWaitPresenter m_previousPresenter;
};

ClientContext::ClientContext(std::unique_ptr<DialogService> dialogs, Kavenso::Session session)
    : m_dialogs(std::move(dialogs)), m_session(std::move(session)),
      m_localCache(std::make_unique<Kavenso::LocalCache>(database())),
      m_installation(std::make_unique<Installation>())
{
    commands().errorDisplay = [this](const QString& message) { m_dialogs->showError(message); };
}

ClientContext::~ClientContext() = default;

ClientContext& ClientContext::current()
{
    auto* const current = dynamic_cast<ClientContext*>(ClientCoreContext::currentOrNull());
    if (!current)
        throw Exception(QStringLiteral("O cliente não foi iniciado: não há sessão nem serviço de diálogos."));
    return *current;
}

ClientContext& ClientContext::of(ClientCoreContext& context)
{
    auto* client = dynamic_cast<ClientContext*>(&context);
    if (!client)
        throw Exception(QStringLiteral(
            "Esta parte do cliente precisa de janelas: o contexto dado não tem serviço de diálogos."));
    return *client;
}

QMdiArea* ClientContext::mdiArea() const
{
    return m_mdiArea;
}

void ClientContext::setMdiArea(QMdiArea* area)
{
    m_mdiArea = area;
}

// The current client's: for the free functions the screens call by name (Consiste::MensErro...),
// which are given no object to reach a context through.
DialogService& dialogs()
{
    return ClientContext::current().dialogs();
}

} // namespace Kav
