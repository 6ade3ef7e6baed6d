#pragma once
// Creates the school-food schema, at the current version, and the SQL dialect objects in an open
// database of any engine.

#include <QSqlDatabase>
#include <QStringList>

namespace KavDb {

class SchemaInstaller
{
public:
    explicit SchemaInstaller(QSqlDatabase db);

    // Every table of the schema's current version, in creation order (not the version table).
    static QStringList tables();

    // The schema's tables the database already has.
    QStringList presentTables() const;

    // Creates the first version's tables, runs every upgrade step on them (so a new database and
    // an upgraded one get the same statements), records the version and creates the dialect
    // objects. When some tables exist already it refuses with a Kav::Exception unless `replace`,
    // which drops them (and their rows) first.
    void create(bool replace);

    // Throws Kav::Exception unless the database has the schema at the current version (the text
    // names the kavdb command to run).
    void requireSchema() const;

    // For writing a data set: requires the schema, and refuses a database that already has
    // branches unless `replace` (the caller then empties it with emptyTables).
    void requireNoData(bool replace) const;

    // Deletes every row of every table of the schema (the caller holds the transaction).
    void emptyTables();

private:
    QSqlDatabase m_db;
};

} // namespace KavDb
