#pragma once
// A throwaway database for one test program on each engine: a new SQLite file, or a new
// PostgreSQL database / Firebird file next to the one the test environment names
// (KAV_TEST_PG_URL, KAV_TEST_FB_URL). Dropped again when the object goes.

#include <QList>
#include <QString>
#include <QTemporaryDir>

class ScratchDatabase
{
public:
    enum class Engine { SQLite, PostgreSQL, Firebird };
    static QList<Engine> engines() { return {Engine::SQLite, Engine::PostgreSQL, Engine::Firebird}; }
    static QString engineName(Engine engine);

    // `tag` tells the test programs' databases apart ("kavdb", "queries"...).
    ScratchDatabase(Engine engine, const QString& tag);
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    Engine engine() const { return m_engine; }
    bool isAvailable() const { return m_reason.isEmpty(); }
    // Why the engine cannot be used (variable not set, server unreachable...).
    QString unavailableReason() const { return m_reason; }
    QString url() const { return m_url; }

    // True when the tests run in CI (env CI=true), where a missing engine is a failure.
    static bool inCi();

private:
    bool runIsql(const QString& connect, const QString& statement);
    void createPostgreSQL(const QString& tag);
    void createFirebird(const QString& tag);

    Engine m_engine;
    QTemporaryDir m_dir;
    QString m_url;
    QString m_reason;
    QString m_adminUrl; // PostgreSQL: the environment's database, to drop the scratch one from
    QString m_dropName; // PostgreSQL database name or Firebird isql connect string
    QString m_user;
    QString m_password;
};

// In a test function: skips (or, in CI, fails) when the scratch database is not available.
#define KAV_REQUIRE_DATABASE(db)                                                                             \
    do {                                                                                                     \
        if (!(db).isAvailable()) {                                                                           \
            if (ScratchDatabase::inCi())                                                                     \
                QFAIL(qPrintable((db).unavailableReason()));                                                 \
            QSKIP(qPrintable((db).unavailableReason()));                                                     \
        }                                                                                                    \
    } while (false)
