#include "CallContext.h"

#include "DbTransaction.h"
#include "KavException.h"

namespace KavServer {

CallContext::CallContext(QSqlDatabase db, Kav::DatabaseUrl::Engine engine, QVariantList args,
                         std::shared_ptr<const std::atomic_bool> clientGone)
    : m_db(std::move(db)), m_engine(engine), m_args(std::move(args)), m_clientGone(std::move(clientGone))
{}

void CallContext::commit(Kav::DbTransaction& transaction)
{
    if (clientGone()) {
        transaction.rollback();
        throw Kav::Exception(QStringLiteral("the client went away; its work was rolled back"));
    }
    transaction.commit();
}

} // namespace KavServer
