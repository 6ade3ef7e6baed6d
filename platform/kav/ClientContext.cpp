#include "ClientContext.h"

#include "CallWait.h"
#include "CallWaitPanel.h"
#include "DialogService.h"
#include "KavException.h"
#include "LocalCache.h"

#include <QMdiArea>

namespace Kav {

namespace {
ClientContext*& currentContext()
{
    static ClientContext* context = nullptr;
    return context;
}
} // namespace

// Makes a context current with its wait panel, and puts back what was there before when it ends.
// (Its non-visual core makes itself current the same way.)
class ClientContext::Installation
{
public:
    explicit Installation(ClientContext& context)
        : m_previous(std::exchange(currentContext(), &context)),
          m_previousPresenter(setCallWaitPresenter(&CallWaitPanel::present))
    {}

    ~Installation()
    {
        setCallWaitPresenter(std::move(m_previousPresenter));
        currentContext() = m_previous;
    }

private:
    ClientContext* m_previous;
    CallWaitPresenter m_previousPresenter;
};

ClientContext::ClientContext(std::unique_ptr<DialogService> dialogs, Kavenso::Session session)
    : m_dialogs(std::move(dialogs)), m_session(std::move(session)),
      m_localCache(std::make_unique<Kavenso::LocalCache>(m_core.database())),
      m_installation(std::make_unique<Installation>(*this))
{
    m_core.commands().errorDisplay = [this](const QString& message) { m_dialogs->showError(message); };
}

ClientContext::~ClientContext() = default;

ClientContext& ClientContext::current()
{
    if (!currentContext())
        throw Exception(QStringLiteral("O cliente não foi iniciado: não há sessão nem serviço de diálogos."));
    return *currentContext();
}

QMdiArea* ClientContext::mdiArea() const
{
    return m_mdiArea;
}

void ClientContext::setMdiArea(QMdiArea* area)
{
    m_mdiArea = area;
}

DialogService& dialogs()
{
    return ClientContext::current().dialogs();
}

} // namespace Kav
