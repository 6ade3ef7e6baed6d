#pragma once
// A client context for one test: its own session, and a scripted dialog service the test queues
// answers on and reads the messages shown from. Current from construction to destruction, so
// nothing of one test is left for the next.

#include "ClientContext.h"
#include "ScriptedDialogService.h"

#include <memory>

class TestClientContext
{
public:
    explicit TestClientContext(const Kavenso::Session& session = {});

    Kav::ClientContext& context() { return m_context; }
    Kav::ScriptedDialogService& dialogs() { return m_dialogs; }

private:
    TestClientContext(std::unique_ptr<Kav::ScriptedDialogService> dialogs, const Kavenso::Session& session);

    Kav::ScriptedDialogService& m_dialogs; // owned by m_context
    Kav::ClientContext m_context;
};
