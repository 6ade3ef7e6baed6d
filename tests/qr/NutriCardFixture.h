#pragma once
// A database holding prepared report data as the application server leaves it: the tables of
// the shared schema, a few nutrients, two branches, and the rows of three prepared reports
// (per dish, per day, per week), for the screen's report layouts to read.

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

struct FixtureDish
{
    QDate day;
    QString serviceCode;
    QString service;
    int serviceOrder;
    QString typeCode;
    QString type;
    QString dishCode;
    QString dish;
    bool option;
    QList<QVariant> values; // one per nutrient of NutriCardFixture::nutrients(); null: not analysed
    QStringList incomplete; // codes of the nutrients marked incomplete
};

class NutriCardFixture
{
public:
    static inline const QString DishKey = QStringLiteral("0000000101");
    static inline const QString DayKey = QStringLiteral("0000000102");
    static inline const QString WeekKey = QStringLiteral("0000000103");
    static inline const QString Central = QStringLiteral("0001");

    // Codes of the report's columns, in order.
    static QStringList nutrients();
    static QList<FixtureDish> dishes();
    // NDpCal% of each day of the per-dish report.
    static double ndpcal(const QDate& day);
    // NDpCal% of the n-th day (from 0) of the per-day report.
    static double ndpcalOfDay(int day);

    // Creates the schema at its current version (replacing any) and the rows on an open
    // connection. Returns an empty text, or what went wrong.
    static QString fill(QSqlDatabase db);
};
