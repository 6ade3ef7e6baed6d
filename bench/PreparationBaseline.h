#pragma once
// The report data of kind "NT" (a row per day, service, dish and nutrient, every nutrient)
// computed by one set-based INSERT ... SELECT run directly on the database: what a hand-written
// stored statement would do, and the floor CriaNutriCard is measured against.

#include <QDate>
#include <QSqlDatabase>
#include <QString>

struct PreparationBaseline
{
    QString central;
    QString branch;
    QString menuType;
    QDate firstDay;
    QDate lastDay;

    // Inserts the rows under `key`. Throws Kav::Exception when the statement fails.
    void insert(const QSqlDatabase& db, const QString& key) const;
};
