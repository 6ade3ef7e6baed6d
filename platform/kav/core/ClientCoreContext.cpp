#include "ClientCoreContext.h"

#include "KavException.h"

#include <utility>

namespace Kav {

namespace {
ClientCoreContext*& currentContext()
{
    static ClientCoreContext* context = nullptr;
    return context;
}
} // namespace

ClientCoreContext::ClientCoreContext() : m_previous(std::exchange(currentContext(), this))
{
    // The module lets go of what it must not hold while the screen waits for the user.
    m_commands.commandEndListeners.push_back([this] { m_database.commandEnded(); });
}

ClientCoreContext::~ClientCoreContext()
{
    currentContext() = m_previous;
}

ClientCoreContext& ClientCoreContext::current()
{
    if (!currentContext())
        throw Exception(QStringLiteral("O cliente não foi iniciado: não há contexto de cliente."));
    return *currentContext();
}

ClientCoreContext* ClientCoreContext::currentOrNull()
{
    return currentContext();
}

ClientCoreContext::Activation::Activation(ClientCoreContext& context)
    : m_previous(std::exchange(currentContext(), &context))
{}

ClientCoreContext::Activation::~Activation()
{
    currentContext() = m_previous;
}

} // namespace Kav
