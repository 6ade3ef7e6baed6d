// Benchmark: kavserver under load on loopback. For each number of concurrent clients, a fresh
// server process and that many clients, each in its own thread with its own connection, running
// the screen's command cycle for one of the central's schools (GetServico, GetPesqPeriodoCard, CriaNutriCard,
// DelNutriCard) for a fixed time. Prints one Markdown table row per client count: calls per second, median
// and 99th percentile latency, the server's peak memory, errors, prepared rows left, and the throughput
// against the single client measured in the same run. With --server the clients go to servers
// already running there instead (a balancer, or a list tried in order), and the memory is "-".
//
//   kavbench_load --database URL --central C --menu-type T --first D --last D
//                 [--clients 1,8,64] [--seconds S] [--server HOST:PORT]

#include "BenchCommandLine.h"
#include "BenchData.h"
#include "BenchStats.h"
#include "KavException.h"
#include "KavServerProcess.h"
#include "NutriCardServer.h"
#include "RdmNutriCard.h"
#include "TNetConnection.h"

#include <atomic>
#include <memory>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QSqlQuery>
#include <QTextStream>
#include <QThread>

using namespace KavServer;
using namespace KavServer::Zve41300;

namespace {

constexpr int kDefaultSeconds = 10;
constexpr int kMsPerSecond = 1000;
constexpr double kKiBPerMiB = 1024.0;
constexpr double kPercentile = 99.0;
constexpr int kLogTail = 2000; // characters of the server's log shown when it failed

struct Cycle
{
    QString central;
    QString branch;
    QString menuType;
    QString nutrients = QStringLiteral("001_002"); // energy and protein, as NDpCal% needs
    QString services;
    QDate firstDay;
    QDate lastDay;
};

struct Outcome
{
    QList<double> latenciesMs;
    qint64 errors = 0;
    QString firstError;
};

// Runs the command cycle on its own connection until the deadline.
Outcome runClient(const Cycle& cycle, const QString& servers, QDeadlineTimer deadline)
{
    Outcome outcome;
    TNetConnection connection;
    connection.setServerName(Zve41300::kServerName);
    connection.setHost(servers);
    const NutriCardServer calls(&connection);
    const auto timed = [&](auto&& call) -> QVariant {
        QElapsedTimer timer;
        timer.start();
        try {
            QVariant answer = call();
            outcome.latenciesMs << double(timer.nsecsElapsed()) / 1e6;
            return answer;
        } catch (const Kav::Exception& error) {
            ++outcome.errors;
            if (outcome.firstError.isEmpty())
                outcome.firstError = error.message();
            return {};
        }
    };
    while (!deadline.hasExpired()) {
        timed([&] { return calls.GetServico(cycle.branch, cycle.menuType); });
        timed([&] { return calls.GetPesqPeriodoCard(cycle.central, cycle.menuType); });
        QString branch = cycle.branch, nutrients = cycle.nutrients, services = cycle.services;
        const QVariant prepared = timed([&] {
            return calls.CriaNutriCard(cycle.central, branch, nutrients, services,
                                       QDateTime(cycle.firstDay, QTime()), QDateTime(cycle.lastDay, QTime()),
                                       false, false, true, cycle.menuType, QStringLiteral("NL"));
        });
        if (prepared.metaType().id() != QMetaType::QVariantList) {
            ++outcome.errors;
            if (outcome.firstError.isEmpty())
                outcome.firstError = prepared.toString();
            continue;
        }
        QString key = prepared.toList().value(0).toString();
        if (!timed([&] { return calls.DelNutriCard(key); }).toString().isEmpty())
            ++outcome.errors;
    }
    return outcome;
}

// The most the process ever held in memory (VmHWM), in MiB.
double peakRssMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / kKiBPerMiB;
    return 0.0;
}

qint64 preparedRows(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "SELECT (SELECT COUNT(*) FROM NUTRICARD) + (SELECT COUNT(*) FROM NUTRICARDCAB)")) ||
        !query.next())
        throw Kav::Exception(QStringLiteral("cannot count the prepared rows"));
    return query.value(0).toLongLong();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    BenchCommandLine options(
        {{"clients", "Client counts (default 1,8,64).", "LIST"},
         {"seconds", "Seconds per client count (default 10).", "S"},
         {"server", "Servers already running (default: a fresh kavserver per row).", "HOST:PORT"}});
    options.process(app);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runBenchmark(QStringLiteral("kavbench_load"), [&] {
        const QString url = options.value("database");
        QSqlDatabase db = options.openDatabase();
        Cycle cycle;
        cycle.central = options.central();
        cycle.menuType = options.menuType();
        cycle.branch = BenchData::linkedSchool(db, cycle.central, cycle.menuType);
        cycle.firstDay = options.first();
        cycle.lastDay = options.last();
        cycle.services = BenchData::servicesOf(db, cycle.central, cycle.menuType);
        const int seconds = options.number("seconds", kDefaultSeconds);
        const QStringList counts =
            (options.isSet("clients") ? options.value("clients") : QStringLiteral("1,8,64"))
                .split(QLatin1Char(','));

        double singleClientRate = 0.0;
        int failures = 0;
        for (const QString& count : counts) {
            const int clients = count.toInt();
            KavServerProcess server;
            const bool ownServer = !options.isSet("server");
            if (ownServer && !server.start({"--port", "0", "--database", url}))
                throw Kav::Exception(QStringLiteral("kavserver did not start: %1").arg(server.log()));
            const QString servers =
                ownServer ? QStringLiteral("127.0.0.1:%1").arg(server.port()) : options.value("server");
            QMutex mutex;
            Outcome total;
            QList<QThread*> threads;
            const QDeadlineTimer deadline(qint64(seconds) * kMsPerSecond);
            QElapsedTimer wall;
            wall.start();
            for (int c = 0; c < clients; ++c) {
                threads << QThread::create([&] {
                    const Outcome outcome = runClient(cycle, servers, deadline);
                    const QMutexLocker lock(&mutex);
                    total.latenciesMs += outcome.latenciesMs;
                    total.errors += outcome.errors;
                    if (total.firstError.isEmpty())
                        total.firstError = outcome.firstError;
                });
                threads.last()->start();
            }
            for (QThread* thread : std::as_const(threads)) {
                thread->wait();
                delete thread;
            }
            const double elapsedSeconds = double(wall.elapsed()) / kMsPerSecond;
            const double peak = ownServer ? peakRssMiB(server.pid()) : 0.0;
            if (ownServer && server.terminate() != 0)
                throw Kav::Exception(
                    QStringLiteral("kavserver did not stop cleanly: %1").arg(server.log().right(kLogTail)));
            const qint64 left = preparedRows(db);
            const double rate = double(total.latenciesMs.size()) / elapsedSeconds;
            if (clients == 1)
                singleClientRate = rate;
            out << QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 |\n")
                       .arg(clients)
                       .arg(rate, 0, 'f', 1)
                       .arg(BenchStats::median(total.latenciesMs), 0, 'f', 2)
                       .arg(BenchStats::percentile(total.latenciesMs, kPercentile), 0, 'f', 2)
                       .arg(ownServer ? QString::number(peak, 'f', 1) : QStringLiteral("-"))
                       .arg(total.errors)
                       .arg(left)
                       .arg(singleClientRate > 0 ? QString::number(rate / singleClientRate, 'f', 2)
                                                 : QStringLiteral("-"));
            out.flush();
            if (total.errors > 0)
                err << "kavbench_load: " << clients << " clients, first error: " << total.firstError << "\n";
            if (total.errors > 0 || left > 0)
                ++failures;
        }
        return failures == 0 ? 0 : 1;
    });
}
