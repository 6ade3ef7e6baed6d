#pragma once
// Stores prepared report data under its key: the header row of NUTRICARDCAB (which the expiry
// reads), the rows of NUTRICARD, the figures of each dish behind them in NUTRICARDPRATO and the
// notes of NUTRICARDNOTA (which the report layouts read).

#include "NutriCardCriteria.h"
#include "NutriCardNotes.h"
#include "NutriCardRow.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>

namespace KavServer::Zve41300 {

class NutriCardWriter
{
public:
    explicit NutriCardWriter(const QSqlDatabase& db) : m_db(db) {}

    // Each throws Kav::Exception when a row cannot be written; the caller's transaction then ends
    // without any of them.
    // `comparedShare`: the share of the daily needs the report's bounds are for (NutriCardCoverage).
    void writeHeader(const QString& key, const QDateTime& createdUtc, const NutriCardCriteria& criteria,
                     const QString& kindText, const QVariant& comparedShare) const;
    // Numbers the rows on from `lastLine`; returns the last line written.
    int appendRows(const QString& key, const QList<NutriCardRow>& rows, int lastLine) const;
    // The same for the rows of NutriCardBuilder::dishFigures().
    int appendDishFigures(const QString& key, const QList<NutriCardRow>& rows, int lastLine) const;
    void writeNotes(const QString& key, const QList<NutriCardNotes::Line>& notes) const;

    // Removes the rows, the dish figures, the notes and the header of one key; true when a header
    // was there.
    bool remove(const QString& key) const;

private:
    // Deletes from each table the rows of the keys `keyFilter` (a condition on NRSEQUNUTR) selects.
    int removeWhere(const QString& keyFilter, const QString& name, const QVariant& value) const;

    QSqlDatabase m_db;
};

} // namespace KavServer::Zve41300
