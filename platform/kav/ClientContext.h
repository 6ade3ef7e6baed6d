#pragma once
// What one client shares between its screens: the session (branch, application server,
// report folders) with what the client keeps in memory of the database (the branches'
// licences, the code pictures), the non-visual core it extends (the shared database module, the
// running commands, the access to the application server), the dialog service every message and
// dialog goes through, and the MDI area forms are placed in. The host owns it and hands it down:
// to the packages it loads, which hand it to the forms they create, whose layouts hand it to the
// components and dialogs they create (ClientContext::of).
//
// A context is also current from its construction to its destruction (one made while another
// lives, a test inside a running host, takes over until it ends, and the earlier one is current
// again) and while a handler of one of its forms runs (ClientCoreContext::Activation). The
// current one is read only by the support library's free functions that the screens call by name
// with the signatures their code fixes (Consiste::MensErro, Kavenso::FiliProc, Kav::dialogs...):
// they are given no object to reach a context through, and reach the client whose command runs. While current
// it shows the waits on the application server through its own panel; the errors that end its commands are
// always shown by its own dialog service. Its database connection is its own and closes when it ends.

#include "ClientCoreContext.h"
#include "Kavenso.h"

#include <memory>
#include <QPointer>

class QMdiArea;

namespace Kavenso {
class LocalCache;
}

namespace Kav {

class DialogService;

class ClientContext : public ClientCoreContext
{
public:
    explicit ClientContext(std::unique_ptr<DialogService> dialogs, Kavenso::Session session = {});
    ~ClientContext() override;
    ClientContext(const ClientContext&) = delete;
    ClientContext& operator=(const ClientContext&) = delete;

    // The current context. Throws Kav::Exception when the program made none.
    static ClientContext& current();
    // The client context a component was given as its core context. Throws Kav::Exception when
    // it is a core context alone (a program without widgets cannot create widgets or dialogs).
    static ClientContext& of(ClientCoreContext& context);

    DialogService& dialogs() const { return *m_dialogs; }

    const Kavenso::Session& session() const { return m_session; }
    void setSession(const Kavenso::Session& session) { m_session = session; }
    Kavenso::LocalCache& localCache() const { return *m_localCache; }

    // Where MDI child forms are placed; without one they are windows of their own.
    QMdiArea* mdiArea() const;
    void setMdiArea(QMdiArea* area);

private:
    class Installation;

    std::unique_ptr<DialogService> m_dialogs;
    Kavenso::Session m_session;
    std::unique_ptr<Kavenso::LocalCache> m_localCache;
    QPointer<QMdiArea> m_mdiArea;
    std::unique_ptr<Installation> m_installation;
};

// The current context's dialog service.
DialogService& dialogs();

} // namespace Kav
