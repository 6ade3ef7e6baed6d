#pragma once
// Inserts the rows of NUTRICARD (or NUTRICARDPRATO, NUTRICARDNOTA) in as few round trips as the engine
// allows: on PostgreSQL all rows in one COPY in the binary format (the server parses no text of them, which
// cost it more than storing them); on SQLite one statement of one row, prepared once and bound through
// SQLite's own interface (Qt's driver spends more on binding a value than SQLite on storing it); on Firebird
// one row per statement, prepared once.

#include <QList>
#include <QSqlDatabase>
#include <QVariantList>

namespace KavServer::Zve41300 {

class NutriCardRowInserter
{
public:
    enum class Table { ReportRows, DishFigures, Notes };

    // The columns, in the order each row gives its values.
    static QStringList columns(Table table);

    NutriCardRowInserter(const QSqlDatabase& db, Table table) : m_db(db), m_table(table) {}

    // Throws Kav::Exception when the database refuses a row.
    void insert(const QList<QVariantList>& rows) const;

private:
    void insertByCopy(const QList<QVariantList>& rows) const;
    QString insertHead() const;
    QString oneRowInsert() const;
    void insertRowByRow(const QList<QVariantList>& rows) const;
    void insertThroughSqlite(const QList<QVariantList>& rows) const;

    QSqlDatabase m_db;
    Table m_table;
};

} // namespace KavServer::Zve41300
