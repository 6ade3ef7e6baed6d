#pragma once
// What the screen needs around it, real: the demo SQLite database (plus the rows a
// test adds for cases the demo lacks), a kavserver on a loopback port seen through a
// RecordingProxy, the session of a logged-in branch, and the database opened as the shared
// connection of each test's client context.

#include "RecordingProxy.h"

#include <memory>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class ScreenEnvironment
{
public:
    ScreenEnvironment();
    ~ScreenEnvironment();
    ScreenEnvironment(const ScreenEnvironment&) = delete;
    ScreenEnvironment& operator=(const ScreenEnvironment&) = delete;

    // Makes the database and runs `statements` on it; with `withServer` also starts kavserver
    // and the proxy. Returns why it could not (a program not
    // built yet, a tool that failed); empty when ready.
    QString start(bool withServer, const QStringList& statements = {});

    // Stops kavserver with SIGTERM, as a service manager does, and starts it again on the same
    // port. Returns why it could not; empty when it serves again.
    QString restartServer();

    // The session of a user logged in to `filial`, the server reached through the proxy.
    void logIn(const QString& filial);
    // Opens the database as the current client context's shared connection.
    void openSharedConnection() const;

    RecordingProxy& proxy() { return *m_proxy; }
    QString databaseUrl() const { return m_databaseUrl; }
    QString folder() const { return m_dir.path(); }

    // True in CI (env CI=true), where a missing part fails instead of skipping.
    static bool inCi();

private:
    // Runs `statements` on a connection of its own; returns why one failed, empty when all ran.
    QString addRows(const QStringList& statements);
    QString startServer(quint16 port = 0);
    bool stopServer();

    QTemporaryDir m_dir;
    QString m_databaseUrl;
    QProcess m_server;
    quint16 m_serverPort = 0;
    std::unique_ptr<RecordingProxy> m_proxy;
};

// In a test function: skips with the reason (fails in CI) when the environment is not ready.
#define KAV_REQUIRE_SCREEN_ENVIRONMENT(reason)                                                               \
    do {                                                                                                     \
        if (!(reason).isEmpty()) {                                                                           \
            if (ScreenEnvironment::inCi())                                                                   \
                QFAIL(qPrintable(reason));                                                                   \
            QSKIP(qPrintable(reason));                                                                       \
        }                                                                                                    \
    } while (false)
