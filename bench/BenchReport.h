#pragma once
// The screen's report path as the benchmarks drive it: CriaNutriCard prepares a period's data in
// the database (kind "NL", eight nutrients, NDpCal%), the layout's own query reads it back, and
// DelNutriCard deletes it.

#include "DatabaseUrl.h"
#include "ReportData.h"
#include "ReportLayout.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

struct BenchPeriod
{
    QString central;
    QString menuType;
    QDate first;
    QDate last;
};

class BenchReport
{
public:
    BenchReport(QSqlDatabase db, Kav::DatabaseUrl::Engine engine, const Qr::ReportLayout& layout,
                BenchPeriod period);

    // Prepares the period's data as the server does; the key it is kept under. Kav::Exception when
    // the server's method refuses.
    QString prepare();
    // The layout's parameters as the screen binds them for the data under `key`.
    TParams params(const QString& key) const;
    Qr::ReportData read(const QString& key) const;
    void remove(const QString& key);

private:
    QSqlDatabase m_db;
    Kav::DatabaseUrl::Engine m_engine;
    const Qr::ReportLayout& m_layout;
    BenchPeriod m_period;
};
