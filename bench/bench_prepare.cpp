// Benchmark: CriaNutriCard (kind "NT", every nutrient, per dish) as the server runs it, against
// the set-based SQL computing the same rows run directly, on one database. Each is run several
// times, alternating; the medians and their ratio are printed as one Markdown table row, with a
// check that both produced the same numbers.
//
//   kavbench_prepare --database URL --label TEXT --central C [--branch B] --menu-type T
//                    --first YYYY-MM-DD --last YYYY-MM-DD [--runs N]

#include "BenchCommandLine.h"
#include "BenchData.h"
#include "BenchStats.h"
#include "CallContext.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "PreparationBaseline.h"
#include "RdmNutriCard.h"
#include "RemoteDataModule.h"

#include <algorithm>
#include <cmath>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

using namespace KavServer;
using namespace KavServer::Zve41300;

namespace {

constexpr int kDefaultRuns = 5;
// --branch school: a school of the central that uses the menu type.
const QString kAnySchool = QStringLiteral("school");
const QString kBaselineKey = QStringLiteral("BASELINE");
// Sums of the same doubles added in another order may differ in the last bits.
constexpr double kRelativeTolerance = 1e-9;

struct Totals
{
    qint64 rows = 0;
    qint64 analysed = 0;
    qint64 incomplete = 0;
    double sum = 0.0;

    bool sameAs(const Totals& other) const
    {
        const double scale = std::max({1.0, std::fabs(sum), std::fabs(other.sum)});
        return rows == other.rows && analysed == other.analysed && incomplete == other.incomplete &&
               std::fabs(sum - other.sum) <= kRelativeTolerance * scale;
    }
};

QSqlQuery exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db);
    query.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    if (!query.exec())
        throw Kav::Exception(query.lastError().text());
    return query;
}

Totals totalsOf(const QSqlDatabase& db, const QString& key)
{
    QSqlQuery query = exec(db,
                           QStringLiteral("SELECT COUNT(*), COUNT(VRNUTRIENTE),"
                                          " SUM(CASE WHEN IDINCOMPLETO = 'S' THEN 1 ELSE 0 END),"
                                          " SUM(VRNUTRIENTE) FROM NUTRICARD WHERE NRSEQUNUTR = ?"),
                           {key});
    query.next();
    return {query.value(0).toLongLong(), query.value(1).toLongLong(), query.value(2).toLongLong(),
            query.value(3).toDouble()};
}

class PreparationBench
{
public:
    PreparationBench(QSqlDatabase db, Kav::DatabaseUrl::Engine engine, PreparationBaseline baseline)
        : m_db(std::move(db)), m_engine(engine), m_baseline(std::move(baseline)),
          m_module(Zve41300::makeRdmNutriCard()),
          m_services(BenchData::servicesOf(m_db, m_baseline.central, m_baseline.menuType))
    {}

    // Milliseconds of one CriaNutriCard; its totals go to `totals`, its data is deleted after.
    double server(Totals& totals)
    {
        CallContext call(m_db, m_engine,
                         {m_baseline.central, m_baseline.branch, QString(), m_services, m_baseline.firstDay,
                          m_baseline.lastDay, false, false, false, m_baseline.menuType, QStringLiteral("NT")},
                         nullptr);
        QElapsedTimer timer;
        timer.start();
        const QVariant answer = m_module->method(QStringLiteral("CriaNutriCard"))->run(call);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (answer.metaType().id() != QMetaType::QVariantList)
            throw Kav::Exception(QStringLiteral("CriaNutriCard refused: %1").arg(answer.toString()));
        const QString key = answer.toList().value(0).toString();
        totals = totalsOf(m_db, key);
        CallContext remove(m_db, m_engine, {key}, nullptr);
        Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
        m_module->method(QStringLiteral("DelNutriCard"))->run(remove);
        transaction.commit();
        return ms;
    }

    // Milliseconds of the baseline statement in its own transaction.
    double baseline(Totals& totals)
    {
        QElapsedTimer timer;
        timer.start();
        {
            Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
            m_baseline.insert(m_db, kBaselineKey);
            transaction.commit();
        }
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        totals = totalsOf(m_db, kBaselineKey);
        exec(m_db, QStringLiteral("DELETE FROM NUTRICARD WHERE NRSEQUNUTR = ?"), {kBaselineKey});
        return ms;
    }

private:
    QSqlDatabase m_db;
    Kav::DatabaseUrl::Engine m_engine;
    PreparationBaseline m_baseline;
    std::shared_ptr<RemoteDataModule> m_module;
    QString m_services;
};

QString engineName(Kav::DatabaseUrl::Engine engine)
{
    switch (engine) {
    case Kav::DatabaseUrl::Engine::SQLite:
        return QStringLiteral("SQLite");
    case Kav::DatabaseUrl::Engine::PostgreSQL:
        return QStringLiteral("PostgreSQL");
    case Kav::DatabaseUrl::Engine::Firebird:
        return QStringLiteral("Firebird");
    default:
        return QStringLiteral("other");
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    BenchCommandLine options(
        {{"label", "What is measured, for the table.", "TEXT"},
         {"branch", "Branch of the report (default: the central; \"school\": one of its schools).", "CODE"},
         {"runs", "Timed runs of each (default 5).", "N"}});
    options.process(app);
    QTextStream out(stdout);
    return runBenchmark(QStringLiteral("kavbench_prepare"), [&] {
        const Kav::DatabaseUrl url = options.url();
        QSqlDatabase db = options.openDatabase();
        PreparationBaseline baseline;
        baseline.central = options.central();
        baseline.menuType = options.menuType();
        baseline.branch = !options.isSet("branch") ? baseline.central
                          : options.value("branch") == kAnySchool
                              ? BenchData::linkedSchool(db, baseline.central, baseline.menuType)
                              : options.value("branch");
        baseline.firstDay = options.first();
        baseline.lastDay = options.last();
        const int runs = options.number("runs", kDefaultRuns);
        PreparationBench bench(db, url.engine(), baseline);

        Totals serverTotals;
        Totals baselineTotals;
        bench.server(serverTotals); // warm-up: caches, prepared statements, the file in memory
        bench.baseline(baselineTotals);
        QList<double> serverMs;
        QList<double> baselineMs;
        for (int run = 0; run < runs; ++run) {
            serverMs << bench.server(serverTotals);
            baselineMs << bench.baseline(baselineTotals);
        }
        const double server = BenchStats::median(serverMs);
        const double floor = BenchStats::median(baselineMs);
        out << QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 |\n")
                   .arg(options.value("label"), engineName(url.engine()))
                   .arg(serverTotals.rows)
                   .arg(server, 0, 'f', 1)
                   .arg(floor, 0, 'f', 1)
                   .arg(floor > 0 ? server / floor : 0.0, 0, 'f', 2)
                   .arg(serverTotals.sameAs(baselineTotals)
                            ? QStringLiteral("yes")
                            : QStringLiteral("**no** (%1 vs %2 rows, sum %3 vs %4)")
                                  .arg(serverTotals.rows)
                                  .arg(baselineTotals.rows)
                                  .arg(serverTotals.sum, 0, 'g', 12)
                                  .arg(baselineTotals.sum, 0, 'g', 12));
        return serverTotals.sameAs(baselineTotals) ? 0 : 1;
    });
}
