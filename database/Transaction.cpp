#include "Transaction.h"

#include "KavException.h"

#include <QSqlError>

namespace KavDb {

Transaction::Transaction(QSqlDatabase db) : m_db(std::move(db))
{
    if (!m_db.transaction())
        throw Kav::Exception(QStringLiteral("Cannot start a transaction: %1").arg(m_db.lastError().text()));
}

Transaction::~Transaction()
{
    if (m_open)
        m_db.rollback();
}

void Transaction::commit()
{
    if (!m_db.commit())
        throw Kav::Exception(QStringLiteral("Cannot commit the changes: %1").arg(m_db.lastError().text()));
    m_open = false;
}

} // namespace KavDb
