// Benchmark: kavserver with a crowd of clients that send and never read their answers. A fresh
// server on the database, then: a second client's GetServico latency and the server's memory with
// no crowd (the baseline), and again while --crowd connections (200) each pipeline requests as
// fast as the server takes them and read nothing. Prints the section for bench/RESULTS.md.
//
//   kavbench_crowd --database URL --central C --menu-type T [--crowd N] [--calls N]

#include "BenchCommandLine.h"
#include "BenchStats.h"
#include "KavException.h"
#include "KavServerProcess.h"
#include "NutriCardServer.h"
#include "RdmNutriCard.h"
#include "TNetConnection.h"

#include <cerrno>
#include <netinet/in.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <QThread>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace KavServer;
using namespace KavServer::Zve41300;

namespace {

constexpr int kDefaultCrowd = 200;
constexpr int kDefaultCalls = 200;
// Rounds of sending to every crowd connection, and the pause between them: long enough for the
// server to run what it took, answer, and hold back what it cannot send.
constexpr int kSendRounds = 20;
constexpr int kRoundPauseMs = 250;
constexpr qsizetype kChunkBytes = 64 * 1024;
constexpr double kKiBPerMiB = 1024.0;

// Each line is no request ("1" is JSON but no object): answered at once with an error of about
// 100 bytes, so the answers a client leaves unread grow fifty times faster than what it sends.
const QByteArray kCheapLine = QByteArray("1\n").repeated(kChunkBytes / 2);

qint64 residentKb(qint64 pid, const char* field = "VmRSS")
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral(R"(%1:\s+(\d+) kB)").arg(QLatin1String(field)))
            .match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

int connectTo(quint16 port)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Sends to every connection what the kernel takes without waiting; the bytes sent.
qint64 sendRound(const std::vector<int>& sockets)
{
    qint64 sent = 0;
    for (const int socket : sockets) {
        for (;;) {
            const ssize_t wrote = ::send(socket, kCheapLine.constData(), size_t(kCheapLine.size()),
                                         MSG_DONTWAIT | MSG_NOSIGNAL);
            if (wrote <= 0)
                break;
            sent += wrote;
        }
    }
    return sent;
}

struct Latency
{
    double medianMs = 0;
    double worstMs = 0;
};

Latency measureCalls(quint16 port, const QString& central, const QString& menuType, int calls)
{
    TNetConnection client;
    client.setServerName(Zve41300::kServerName);
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(port);
    const NutriCardServer server(&client);
    QList<double> ms;
    for (int i = 0; i < calls; ++i) {
        QElapsedTimer timer;
        timer.start();
        server.GetServico(central, menuType);
        ms << double(timer.nsecsElapsed()) / 1e6;
    }
    return {BenchStats::median(ms), BenchStats::percentile(ms, 100.0)};
}

QString row(const QString& what, qint64 rssKb, const Latency& latency, const Latency& baseline)
{
    return QStringLiteral("| %1 | %2 | %3 | %4 | %5x |")
        .arg(what)
        .arg(double(rssKb) / kKiBPerMiB, 0, 'f', 1)
        .arg(latency.medianMs, 0, 'f', 2)
        .arg(latency.worstMs, 0, 'f', 1)
        .arg(latency.medianMs / baseline.medianMs, 0, 'f', 2);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    BenchCommandLine options(
        {{QStringLiteral("crowd"), QStringLiteral("Connections that never read."), QStringLiteral("N")},
         {QStringLiteral("calls"), QStringLiteral("GetServico calls timed."), QStringLiteral("N")}},
        BenchCommandLine::Period::OwnOptions);
    options.process(app);
    return runBenchmark(QStringLiteral("kavbench_crowd"), [&] {
        const int crowd = options.number(QStringLiteral("crowd"), kDefaultCrowd);
        const int calls = options.number(QStringLiteral("calls"), kDefaultCalls);
        KavServerProcess server;
        if (!server.start({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--database"),
                           options.value(QStringLiteral("database"))}))
            throw Kav::Exception(QStringLiteral("kavserver did not start: %1").arg(server.log()));
        const Latency baseline = measureCalls(server.port(), options.central(), options.menuType(), calls);
        const qint64 idleKb = residentKb(server.pid());

        std::vector<int> sockets;
        for (int i = 0; i < crowd; ++i)
            if (const int socket = connectTo(server.port()); socket >= 0)
                sockets.push_back(socket);
        qint64 sent = 0;
        for (int round = 0; round < kSendRounds; ++round) {
            sent += sendRound(sockets);
            QThread::msleep(kRoundPauseMs);
        }
        const qint64 crowdKb = residentKb(server.pid());
        const Latency loaded = measureCalls(server.port(), options.central(), options.menuType(), calls);
        sent += sendRound(sockets);
        const qint64 peakKb = residentKb(server.pid(), "VmHWM");
        for (const int socket : sockets)
            ::close(socket);
        server.terminate();

        QTextStream out(stdout);
        out << "## A crowd of clients that never read\n\n"
            << "A fresh kavserver on the database; a second client times " << calls
            << " GetServico calls one after another, first with nothing else connected (the baseline), then "
               "while "
            << sockets.size()
            << " connections each pipeline requests as fast as the server takes them (lines that are no "
               "request, each answered at once with an error about fifty times its size) and read no answer. "
               "The server counts unsent answers and unread requests of all its connections together and, "
               "past its limit (64 MiB), reads no further from any connection holding more than its share. "
            << QString::number(double(sent) / kKiBPerMiB / kKiBPerMiB, 'f', 1)
            << " MiB of requests were taken by the server in all. Memory is the server's resident set.\n\n"
            << "| Case | Server memory MiB | GetServico median ms | slowest ms | median against the baseline "
               "|\n"
            << "|---|---:|---:|---:|---:|\n"
            << row(QStringLiteral("no crowd (baseline)"), idleKb, baseline, baseline) << "\n"
            << row(QStringLiteral("%1 connections not reading").arg(sockets.size()), crowdKb, loaded,
                   baseline)
            << "\n\n"
            << "Peak resident memory of the server over the whole run: "
            << QString::number(double(peakKb) / kKiBPerMiB, 'f', 1) << " MiB.\n\n";
        return 0;
    });
}
