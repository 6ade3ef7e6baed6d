#pragma once
// Inserts the rows of NUTRICARD in as few round trips as the engine allows: on PostgreSQL all
// rows in one statement, each column bound as one array parameter and unnested by the database;
// elsewhere a prepared statement of many rows (SQLite) or one row (Firebird), prepared once.

#include <QList>
#include <QSqlDatabase>
#include <QVariantList>

class NutriCardRowInserter
{
public:
    // The columns, in the order each row gives its values.
    static const QStringList& columns();

    explicit NutriCardRowInserter(const QSqlDatabase& db) : m_db(db) {}

    // Throws Kav::Exception when the database refuses a row.
    void insert(const QList<QVariantList>& rows) const;

    // A PostgreSQL array literal of texts ({"a","b",NULL}), every element quoted and escaped,
    // which the database reads back as the same texts whatever they hold.
    static QString arrayLiteral(const QList<QVariant>& values);

private:
    void insertAsArrays(const QList<QVariantList>& rows) const;
    void insertAsValues(const QList<QVariantList>& rows, int rowsPerStatement) const;

    QSqlDatabase m_db;
};
