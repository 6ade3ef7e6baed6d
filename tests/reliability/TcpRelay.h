#pragma once
// A TCP relay standing between a program and a server it depends on (the database), which a
// test can cut and restore: while down it refuses new connections and drops the open ones, as
// a database server that went away; while held it keeps connections open but passes nothing,
// as one that stopped answering.

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

class TcpRelay : public QObject
{
    Q_OBJECT
public:
    TcpRelay(QString targetHost, quint16 targetPort, QObject* parent = nullptr);
    ~TcpRelay() override;

    // Listens on a free loopback port (kept across down() and up()).
    bool start();
    quint16 port() const { return m_port; }

    // Refuses new connections and drops every open one.
    void down();
    // Accepts and relays again.
    void up();
    // Open connections stay but no byte passes either way until release().
    void hold() { m_held = true; }
    void release();

    int openPairs() const { return int(m_pairs.size()); }

private:
    struct Pair
    {
        QTcpSocket* client;
        QTcpSocket* server;
    };
    void accept();
    void pump(QTcpSocket* from);
    void drop(QTcpSocket* either);

    QString m_targetHost;
    quint16 m_targetPort;
    QTcpServer m_listener;
    quint16 m_port = 0;
    QList<Pair> m_pairs;
    bool m_held = false;
};
