#pragma once
// The schema version a database is at, kept in the one-row table VERSAOESQUEMA, and the check
// the programs make before they work on a database.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace KavDb {

class SchemaVersion
{
public:
    static inline const QString Table = QStringLiteral("VERSAOESQUEMA");

    explicit SchemaVersion(QSqlDatabase db);

    // 0 for a database without the schema. The schema carried no version at first: a database
    // with the first version's tables and no version recorded is at version 1. Throws
    // Kav::Exception for a database with only some of those tables or an unreadable version.
    int read() const;

    bool hasTable() const;
    // Creates the (empty) table. The caller holds the transaction.
    void createTable();
    // Records the version, replacing the one recorded. The caller holds the transaction.
    void write(int version);

    // Why the database is not at the version of this build: it has no schema (naming the
    // "kavdb create" to run), an older one (naming the "kavdb upgrade"), a newer or an incomplete
    // one. Empty when it is current.
    QString mismatch() const;
    // Throws Kav::Exception with the mismatch, if there is one: what filling the database needs.
    void requireCurrent() const;

    // Why a program of this build must not start on the database: its mismatch, except for a
    // database without the schema, which the programs have always opened (their first query then
    // says what is missing). Empty when the program may go on.
    QString refusal() const;
    // Throws Kav::Exception with the refusal, if there is one.
    void requireUsable() const;

    // The database as a URL without its password, for the commands a message names.
    QString address() const;

    // The tables the database has, upper case.
    static QStringList existingTables(const QSqlDatabase& db);

private:
    // The mismatch; with `schemaRequired` false, none for a database without the schema.
    QString problem(bool schemaRequired) const;

    QSqlDatabase m_db;
};

} // namespace KavDb
