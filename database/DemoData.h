#pragma once
// Writes the demo database: a head office, two central kitchens with their schools, menu types,
// services, dishes with recipes of real foods, a year of monthly menus, and the parameters the
// screen reads. Every case the screen tells apart has a row (see docs/schema.md, "Demo data").

#include <QSqlDatabase>

namespace KavDb {

class DemoData
{
public:
    // The year the demo menus cover.
    static constexpr int Year = 2025;

    explicit DemoData(QSqlDatabase db);

    // Refuses (Kav::Exception) a database that already has branches unless `replace`, which
    // first empties every table of the schema. Writes everything in one transaction.
    void write(bool replace);

private:
    void writeBranches();
    void writeMenuTypes();
    void writeServices();
    void writeDishes();
    void writeMenus();

    QSqlDatabase m_db;
};

} // namespace KavDb
