#pragma once
// Hands out the keys of prepared report data, unique however many servers and clients ask at
// once: from the sequence NUTRICARD_KEY on PostgreSQL and Firebird, which never waits on another
// session's transaction (a server stopped in the middle of a call holds no one's key), and from
// the row "NUTRICARD" of GERADOR on SQLite, whose one writer at a time waits anyway.

#include <QSqlDatabase>
#include <QString>

namespace KavServer::Zve41300 {

class NutriCardKeyGenerator
{
public:
    static constexpr int kMaxKeyLength = 10;

    explicit NutriCardKeyGenerator(QSqlDatabase& db) : m_db(db) {}

    // A number lost to a failed preparation is a harmless gap. A number still in use (the
    // generator was set back, a backup restored) is skipped. Throws Kav::Exception when no key
    // can be had.
    QString next();

private:
    QString tryNext();
    // The next number: from the sequence, or GERADOR's row in a short transaction of its own, so
    // that row is locked only for an instant; writers that collide there try again.
    qint64 takeNumber();
    qint64 fromSequence();
    qint64 fromGeneratorRow();
    // GERADOR's last number, which a sequence created by a schema upgrade may still be behind.
    qint64 generatorRowValue();
    bool isInUse(const QString& key);

    QSqlDatabase& m_db;
};

} // namespace KavServer::Zve41300
