#include "TestClientContext.h"

TestClientContext::TestClientContext(const Kavenso::Session& session)
    : TestClientContext(std::make_unique<Kav::ScriptedDialogService>(), session)
{}

TestClientContext::TestClientContext(std::unique_ptr<Kav::ScriptedDialogService> dialogs,
                                     const Kavenso::Session& session)
    : m_dialogs(*dialogs), m_context(std::move(dialogs), session)
{}
