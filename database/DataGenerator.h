#pragma once
// Fills a database with large synthetic school-food data for benchmarks: central kitchens with
// their schools, menu types, services, dishes with recipes of the demo's real foods, and menus
// for every school day of the years asked. The same options and seed give the same rows.

#include <QSqlDatabase>
#include <QtGlobal>

namespace KavDb {

struct GeneratorOptions
{
    int centrals = 1;
    int years = 1;
    quint64 seed = 1;
    int firstYear = 2025;
    bool replace = false;

    // Limits that keep every code within its stored width.
    static constexpr int MaxCentrals = 900;
    static constexpr int MaxYears = 30;
};

struct GeneratorCounts
{
    qint64 branches = 0;
    qint64 dishes = 0;
    qint64 menus = 0;
    qint64 menuItems = 0;
};

class DataGenerator
{
public:
    explicit DataGenerator(QSqlDatabase db);

    // Throws Kav::Exception for options out of range, a database without the schema, or one that
    // already has data (unless options.replace, which empties it first).
    GeneratorCounts generate(const GeneratorOptions& options);

private:
    QSqlDatabase m_db;
};

} // namespace KavDb
