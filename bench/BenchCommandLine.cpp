#include "BenchCommandLine.h"

#include "DatabaseConnection.h"
#include "KavException.h"

#include <QTextStream>

BenchCommandLine::BenchCommandLine(const QList<QCommandLineOption>& own, Period period)
{
    m_parser.addOptions({{"database", "Database URL.", "URL"},
                         {"central", "Central kitchen.", "CODE"},
                         {"menu-type", "Menu type.", "CODE"}});
    if (period == Period::FirstAndLast)
        m_parser.addOptions({{"first", "First day.", "YYYY-MM-DD"}, {"last", "Last day.", "YYYY-MM-DD"}});
    m_parser.addOptions(own);
}

void BenchCommandLine::process(const QCoreApplication& app)
{
    m_parser.process(app);
}

int BenchCommandLine::number(const QString& name, int fallback) const
{
    return isSet(name) ? value(name).toInt() : fallback;
}

Kav::DatabaseUrl BenchCommandLine::url() const
{
    return Kav::DatabaseUrl::parse(value(QStringLiteral("database")));
}

QSqlDatabase BenchCommandLine::openDatabase() const
{
    return Kav::DatabaseConnection::open(url(), QStringLiteral("bench"));
}

QDate BenchCommandLine::first() const
{
    return QDate::fromString(value(QStringLiteral("first")), Qt::ISODate);
}

QDate BenchCommandLine::last() const
{
    return QDate::fromString(value(QStringLiteral("last")), Qt::ISODate);
}

int runBenchmark(const QString& program, const std::function<int()>& body)
{
    try {
        return body();
    } catch (const Kav::Exception& error) {
        QTextStream(stderr) << program << ": " << error.message() << "\n";
        return 1;
    }
}
