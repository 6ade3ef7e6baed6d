#pragma once
// Stores prepared report data under its key: the header row of NUTRICARDCAB (which the expiry
// reads) and the rows of NUTRICARD (which the report layouts read).

#include "NutriCardCriteria.h"
#include "NutriCardRow.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>

class NutriCardWriter
{
public:
    explicit NutriCardWriter(const QSqlDatabase& db) : m_db(db) {}

    // Throws Kav::Exception when a row cannot be written; the caller's transaction then ends
    // without any of them.
    void write(const QString& key, const QDateTime& createdUtc, const NutriCardCriteria& criteria,
               const QString& kindText, const QList<NutriCardRow>& rows) const;

    // Removes the rows and the header of one key; true when a header was there.
    bool remove(const QString& key) const;

    // Removes every key created before `limitUtc`; returns how many.
    int removeCreatedBefore(const QDateTime& limitUtc) const;

private:
    QSqlDatabase m_db;
};
