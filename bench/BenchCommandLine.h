#pragma once
// The command line the benchmarks share: the database they measure on, the central kitchen and
// menu type whose menus they read and, for most, a period, besides each program's own options; and
// how a benchmark ends when something fails (why, on standard error, and exit status 1).

#include "DatabaseUrl.h"

#include <functional>
#include <QCommandLineParser>
#include <QDate>
#include <QSqlDatabase>

class BenchCommandLine
{
public:
    enum class Period {
        FirstAndLast, // --first and --last
        OwnOptions,   // the program says its periods its own way
    };

    BenchCommandLine(const QList<QCommandLineOption>& own, Period period = Period::FirstAndLast);
    void process(const QCoreApplication& app);

    QString value(const QString& name) const { return m_parser.value(name); }
    QStringList values(const QString& name) const { return m_parser.values(name); }
    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    // The option's number, or the fallback when it was not given.
    int number(const QString& name, int fallback) const;

    Kav::DatabaseUrl url() const;
    // The benchmark's own connection to the database.
    QSqlDatabase openDatabase() const;
    QString central() const { return value(QStringLiteral("central")); }
    QString menuType() const { return value(QStringLiteral("menu-type")); }
    QDate first() const;
    QDate last() const;

private:
    QCommandLineParser m_parser;
};

// Runs a benchmark's body: its exit status, or 1 after telling on standard error why it failed.
int runBenchmark(const QString& program, const std::function<int()>& body);
