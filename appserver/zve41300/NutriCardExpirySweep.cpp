#include "NutriCardExpirySweep.h"

#include "BoundQuery.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "NutriCardWriter.h"

#include <QRandomGenerator>
#include <QSqlQuery>

namespace KavServer::Zve41300 {

void NutriCardExpirySweep::giveSpaceBack() const
{
    QSqlQuery freePages(m_db);
    if (!freePages.exec(QStringLiteral("PRAGMA freelist_count")) || !freePages.next())
        return;
    const qint64 pages = freePages.value(0).toLongLong();
    freePages.finish();
    // SQLite gives back one page per step of the pragma, and Qt steps a statement without result
    // columns once: one run per free page, all in one transaction (one commit, not one a page).
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    QSqlQuery vacuum(m_db);
    for (qint64 page = 0; page < pages; ++page)
        if (!vacuum.exec(QStringLiteral("PRAGMA incremental_vacuum")))
            break;
    vacuum.finish();
    transaction.commit();
    // The write-ahead log keeps the size of its largest checkpoint unless truncated.
    QSqlQuery checkpoint(m_db);
    checkpoint.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

int NutriCardExpirySweep::removeCreatedBefore(const QDateTime& limitUtc) const
{
    const QStringList keys = expiredKeys(limitUtc);
    const qsizetype batches = (keys.size() + kKeysPerBatch - 1) / kKeysPerBatch;
    // Servers started together sweep together: each begins at a batch of its own and wraps round,
    // so they mostly work on different keys instead of queueing on the same rows.
    const qsizetype first = batches > 0 ? QRandomGenerator::global()->bounded(batches) : 0;
    int removed = 0;
    qsizetype left = 0;
    QString reason;
    for (qsizetype b = 0; b < batches; ++b) {
        const QStringList batch = keys.mid(((first + b) % batches) * kKeysPerBatch, kKeysPerBatch);
        try {
            removed += removeBatch(batch);
        } catch (const Kav::Exception& error) {
            left += batch.size();
            reason = error.message();
        }
    }
    if (left > 0)
        throw Kav::Exception(QStringLiteral("%1 expired keys removed, %2 left for the next sweep: %3")
                                 .arg(removed)
                                 .arg(left)
                                 .arg(reason));
    return removed;
}

QStringList NutriCardExpirySweep::expiredKeys(const QDateTime& limitUtc) const
{
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Read);
    // In key order: every sweep and DelNutriCard then take the rows' locks in the same order
    // within a batch, and never wait on one another in a circle.
    Kav::BoundQuery query(m_db,
                          QStringLiteral("SELECT NRSEQUNUTR FROM NUTRICARDCAB WHERE DTCRIACAO < :LIMIT"
                                         " ORDER BY NRSEQUNUTR"),
                          QStringLiteral("find the expired prepared data"));
    query.bind(QStringLiteral(":LIMIT"), limitUtc);
    query.exec();
    QStringList keys;
    while (query.next())
        keys.append(query.value(0).toString());
    transaction.commit();
    return keys;
}

int NutriCardExpirySweep::removeBatch(const QStringList& keys) const
{
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    const NutriCardWriter writer(m_db);
    int removed = 0;
    for (const QString& key : keys)
        removed += writer.remove(key) ? 1 : 0;
    transaction.commit();
    return removed;
}

} // namespace KavServer::Zve41300
