#include "TcpRelay.h"

#include <QTcpSocket>

TcpRelay::TcpRelay(QString targetHost, quint16 targetPort, QObject* parent)
    : QObject(parent), m_targetHost(std::move(targetHost)), m_targetPort(targetPort)
{
    connect(&m_listener, &QTcpServer::newConnection, this, &TcpRelay::accept);
}

TcpRelay::~TcpRelay()
{
    down();
}

bool TcpRelay::start()
{
    if (!m_listener.listen(QHostAddress::LocalHost, m_port))
        return false;
    m_port = m_listener.serverPort();
    return true;
}

void TcpRelay::down()
{
    m_listener.close();
    while (!m_pairs.isEmpty())
        drop(m_pairs.first().client);
}

void TcpRelay::up()
{
    if (!m_listener.isListening())
        m_listener.listen(QHostAddress::LocalHost, m_port);
}

void TcpRelay::release()
{
    m_held = false;
    for (const Pair& pair : QList<Pair>(m_pairs)) {
        pump(pair.client);
        pump(pair.server);
    }
}

void TcpRelay::accept()
{
    while (QTcpSocket* client = m_listener.nextPendingConnection()) {
        auto* server = new QTcpSocket(this);
        client->setParent(this);
        m_pairs.append(Pair{client, server});
        for (QTcpSocket* socket : {client, server}) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { pump(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
            connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { drop(socket); });
        }
        connect(server, &QTcpSocket::connected, this, [this, client] { pump(client); });
        server->connectToHost(m_targetHost, m_targetPort);
    }
}

void TcpRelay::pump(QTcpSocket* from)
{
    if (m_held)
        return;
    for (const Pair& pair : std::as_const(m_pairs)) {
        QTcpSocket* to = from == pair.client ? pair.server : from == pair.server ? pair.client : nullptr;
        if (!to)
            continue;
        if (to->state() == QAbstractSocket::ConnectedState)
            to->write(from->readAll());
        return;
    }
}

void TcpRelay::drop(QTcpSocket* either)
{
    for (qsizetype i = 0; i < m_pairs.size(); ++i) {
        const Pair pair = m_pairs[i];
        if (pair.client != either && pair.server != either)
            continue;
        m_pairs.removeAt(i);
        for (QTcpSocket* socket : {pair.client, pair.server}) {
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
        }
        return;
    }
}
