#pragma once
// Hands out the keys of prepared report data from the database's key generator (GERADOR row
// "NUTRICARD"), unique however many servers and clients ask at once.

#include <QSqlDatabase>
#include <QString>

class NutriCardKeyGenerator
{
public:
    static constexpr int kMaxKeyLength = 10;

    explicit NutriCardKeyGenerator(QSqlDatabase& db) : m_db(db) {}

    // Takes the next number in a short transaction of its own, so the generator's row is locked
    // only for an instant, not for the whole preparation; a number lost to a failed preparation
    // is a harmless gap. Concurrent writers that collide (Firebird reports an update conflict)
    // try again. A number still in use (the generator was reset) is skipped. Throws
    // Kav::Exception when no key can be had.
    QString next();

private:
    QString tryNext();
    // On PostgreSQL the number's commit does not wait for its flush to disk, which cost a
    // preparation as much as all its other statements. Nothing is lost by it: the preparation
    // that uses the key commits after it and waits for the flush of both, and a number lost in a
    // crash before that was stored with no data.
    void commitWithoutWaitingForTheDisk();
    // Within tryNext's transaction; its statements end before the commit. Empty: in use.
    QString takeNumber();

    QSqlDatabase& m_db;
};
