#pragma once
// Removes the prepared data older than a limit, a few keys at a time, each few in its own short
// transaction. Several servers on one database sweep at once: none holds a lock across the whole
// sweep, and a key that another sweep or a DelNutriCard removed first is simply no longer there.

#include <QDateTime>
#include <QSqlDatabase>
#include <QStringList>

namespace KavServer::Zve41300 {

class NutriCardExpirySweep
{
public:
    // Small enough that a batch's locks are held for milliseconds.
    static constexpr int kKeysPerBatch = 50;

    explicit NutriCardExpirySweep(QSqlDatabase& db) : m_db(db) {}

    // How many keys this sweep removed. A batch that fails (a lock given up, the database gone)
    // is left for the next sweep; after trying the others, Kav::Exception says how many were left.
    int removeCreatedBefore(const QDateTime& limitUtc) const;

    // SQLite: hands the pages the removed rows left free back to the file system (a database made
    // with incremental vacuum, as kavdb makes them; otherwise SQLite only reuses them).
    void giveSpaceBack() const;

private:
    QStringList expiredKeys(const QDateTime& limitUtc) const;
    int removeBatch(const QStringList& keys) const;

    QSqlDatabase& m_db;
};

} // namespace KavServer::Zve41300
