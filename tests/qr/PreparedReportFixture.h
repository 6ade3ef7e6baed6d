#pragma once
// A database holding prepared report data as the application server leaves it: the tables of
// the shared schema, a few nutrients, two branches, and the rows of three prepared reports
// (per dish, per day, per week), for the screen's report layouts to read.

#include <functional>
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
    QList<QVariant> values; // one per nutrient of PreparedReportFixture::nutrients(); null: not analysed
    QStringList incomplete; // codes of the nutrients marked incomplete
};

class PreparedReportFixture
{
public:
    static inline const QString DishKey = QStringLiteral("0000000101");
    static inline const QString DayKey = QStringLiteral("0000000102");
    static inline const QString WeekKey = QStringLiteral("0000000103");
    static inline const QString Central = QStringLiteral("0001");
    // A school year of generated menus: per dish and per week.
    static inline const QString YearDishKey = QStringLiteral("0000000104");
    static inline const QString YearWeekKey = QStringLiteral("0000000105");
    static inline const QDate YearFirst = QDate(2025, 2, 3);
    static inline const QDate YearLast = QDate(2025, 12, 19);

    // Codes of the report's columns, in order.
    static QStringList nutrients();
    // Codes of three more nutrients, with amounts in the per-dish report only.
    static QStringList extraNutrients();
    static double extraValue(const FixtureDish& dish, int nutrient);
    static QList<FixtureDish> dishes();
    // NDpCal% of each day of the per-dish report.
    static double ndpcal(const QDate& day);
    // NDpCal% of the n-th day (from 0) of the per-day report, and of the day of a week of the
    // per-week report.
    static double ndpcalOfDay(int day);
    // Energy behind the n-th day's NDpCal% (from 0) of the per-day report.
    static double dayEnergy(int day);

    // Amount of the n-th nutrient on the day-th day (from 0) of a week of the per-week report,
    // over the chosen services: the day rows; week 1 has 5 days, week 2 has 4.
    static double weekDayValue(int day, int nutrient);
    static int weekDays(int week);

    // Creates the schema at its current version (replacing any) and the rows on an open
    // connection, with the menu type's reference ("Exemplo (não oficial)": an
    // energy range of 700 to 900 kcal, macronutrient ranges in % of energy, minima for fibre,
    // calcium and iron, a maximum for sodium, with looser rows that the stricter ones override and
    // rows of another age band and coverage that do not apply) and the notes of each report.
    // Returns an empty text, or what went wrong.
    static QString fill(QSqlDatabase db);

    // Adds a school year of menus to a filled database: every weekday but the July holidays, two
    // or three services, two to six dishes each, an option dish now and then. Returns an empty
    // text, or what went wrong.
    static QString fillYear(QSqlDatabase db);

    // The figures of each dish behind a report (which its option dishes are listed from), copied
    // from a per-dish report's dishes to the key `target`. Empty text, or what went wrong.
    static QString copyDishFigures(QSqlDatabase db, const QString& source, const QString& target);
    // Removes that copy from `target`, keeping the key's own rows of each dish's energy (those every
    // NDpCal% of the period is summed from).
    static void removeDishFigures(QSqlDatabase db, const QString& target);

private:
    using Exec = std::function<void(const QString& sql, const QVariantList& values)>;
    static void fillReferences(const Exec& exec);
    static void fillWeekDays(const Exec& exec, int& line);
    static void fillNotes(const Exec& exec);
    static void fillDiets(const Exec& exec);
};
