#pragma once
// What a remote method sees of its call: its arguments (the ones passed by reference are written
// back through it), its database connection, and whether its client is still there.

#include "DatabaseUrl.h"
#include "RemoteMethod.h"

#include <atomic>
#include <memory>
#include <QDate>
#include <QSqlDatabase>
#include <QVariantList>

namespace Kav {
class DbTransaction;
}

namespace KavServer {

class CallContext
{
public:
    CallContext(QSqlDatabase db, Kav::DatabaseUrl::Engine engine, QVariantList args,
                std::shared_ptr<const std::atomic_bool> clientGone);

    QSqlDatabase& db() { return m_db; }
    Kav::DatabaseUrl::Engine engine() const { return m_engine; }

    // The arguments, already checked against the method's types.
    QString text(int position) const { return m_args.at(position).toString(); }
    QDate date(int position) const { return m_args.at(position).toDate(); }
    bool flag(int position) const { return m_args.at(position).toBool(); }
    // What a by-reference argument hands back to the caller.
    void setArg(int position, const QVariant& value) { m_args[position] = value; }
    const QVariantList& args() const { return m_args; }

    // Commits, unless the client went away during the call: then nothing it asked for is kept
    // and Kav::Exception is raised.
    void commit(Kav::DbTransaction& transaction);

    bool clientGone() const { return m_clientGone && m_clientGone->load(); }

private:
    QSqlDatabase m_db;
    Kav::DatabaseUrl::Engine m_engine;
    QVariantList m_args;
    std::shared_ptr<const std::atomic_bool> m_clientGone;
};

} // namespace KavServer
