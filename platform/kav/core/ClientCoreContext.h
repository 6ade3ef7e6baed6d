#pragma once
// The part of a client's context that the non-visual layer reaches: the client's shared
// database module, the state of its running commands (CommandState) and how it reaches its
// application server (ServerAccess). The client context of the support library
// (Kav::ClientContext) owns one; a program or a test without widgets may make one itself.
//
// This layer cannot know the widget library where the client context lives, so the hook is
// here: a core context is current from its construction to its destruction, and one made while
// another lives takes over until it ends, when the earlier one is current again. What runs
// inside a client (dtmDBGeral's functions, a query with no connection name, the event
// dispatcher, a new server connection) reaches the current one.

#include "CommandState.h"
#include "DatabaseModule.h"
#include "ServerAccess.h"

namespace Kav {

class ClientCoreContext
{
public:
    ClientCoreContext();
    ~ClientCoreContext();
    ClientCoreContext(const ClientCoreContext&) = delete;
    ClientCoreContext& operator=(const ClientCoreContext&) = delete;

    // The current context. Throws Kav::Exception when the program made none.
    static ClientCoreContext& current();
    // The current context, or null when the program made none (a client of the server that is
    // no desktop client, such as kavcall).
    static ClientCoreContext* currentOrNull();

    DatabaseModule& database() { return m_database; }
    CommandState& commands() { return m_commands; }

    const ServerAccess& serverAccess() const { return m_serverAccess; }
    void setServerAccess(const ServerAccess& access) { m_serverAccess = access; }

private:
    ClientCoreContext* m_previous;
    CommandState m_commands;
    DatabaseModule m_database;
    ServerAccess m_serverAccess;
};

} // namespace Kav
