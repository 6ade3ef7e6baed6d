#pragma once
// One database transaction held for a scope: committed by commit(), rolled back on any other way out.

#include <QSqlDatabase>

namespace KavDb {

class Transaction
{
public:
    // Throws Kav::Exception when the database cannot start one.
    explicit Transaction(QSqlDatabase db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    QSqlDatabase m_db;
    bool m_open = true;
};

} // namespace KavDb
