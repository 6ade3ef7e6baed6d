#pragma once
// The part of a client's context that the non-visual layer reaches: the client's shared
// database module, the state of its running commands (CommandState) and how it reaches its
// application server (ServerAccess). The client context of the support library
// (Kav::ClientContext) is one, with the widgets' part added; a program or a test without widgets
// may make one itself. It is handed to what a client creates: the layout loader and the class
// registry's factories take it, and pass it to the components they create.
//
// A core context is also current from its construction to its destruction (one made while
// another lives takes over until it ends, when the earlier one is current again), and while a
// handler of one of its forms runs (Activation): the current one is the client whose command
// runs. Only what is reached with no object to carry it reads the current one: the free
// functions the screens call by name with the signatures their code fixes (dtmDBGeral's,
// Consiste::MensErro...), a query given no connection, the event dispatcher's entry from Qt's
// event loop (Kav::runFromQt) and a server connection made by a program that is no desktop
// client (kavcall).

#include "CommandState.h"
#include "DatabaseModule.h"
#include "ServerAccess.h"

namespace Kav {

class ClientCoreContext
{
public:
    ClientCoreContext();
    virtual ~ClientCoreContext();
    ClientCoreContext(const ClientCoreContext&) = delete;
    ClientCoreContext& operator=(const ClientCoreContext&) = delete;

    // The current context. Throws Kav::Exception when the program made none.
    static ClientCoreContext& current();
    // The current context, or null when the program made none (a client of the server that is
    // no desktop client, such as kavcall).
    static ClientCoreContext* currentOrNull();

    // Makes a context current for a scope, and puts back the one before: a handler of one of its
    // forms runs as its command, and what the handler reaches by the free functions is its own.
    class Activation
    {
    public:
        explicit Activation(ClientCoreContext& context);
        ~Activation();
        Activation(const Activation&) = delete;
        Activation& operator=(const Activation&) = delete;

    private:
        ClientCoreContext* m_previous;
    };

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
