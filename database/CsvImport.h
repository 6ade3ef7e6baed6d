#pragma once
// Checks shared by the importers of CSV tables: each failure names the file, the line and the
// column, so that a site can correct its file.

#include "CsvReader.h"

#include <optional>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>

namespace KavDb::CsvImport {

[[noreturn]] void fail(const QString& file, int line, const QString& why);

// Fails at `line` when `key` was already seen, naming the line it was first seen on.
class DuplicateCheck
{
public:
    void add(const QString& file, int line, const QString& key, const QString& what);

private:
    QHash<QString, int> m_firstLines;
};

// The index of a header name; throws when the table has no such column.
int requireColumn(const CsvTable& table, const QString& file, const QString& name);

// A positive whole number.
int requireId(const CsvTable& table, int row, int column, const QString& file);

// A finite number ("nan" and "inf" are refused), or none for an empty cell.
std::optional<double> optionalNumber(const CsvTable& table, int row, int column, const QString& file);

// An amount: a finite number that is not negative, or none for an empty cell.
std::optional<double> optionalAmount(const CsvTable& table, int row, int column, const QString& file);

// A cell that must not be empty, trimmed.
QString requireText(const CsvTable& table, int row, int column, const QString& file);

// Runs a statement with positional values; throws naming `what` when it fails.
QSqlQuery run(QSqlDatabase& db, const QString& what, const QString& sql, const QVariantList& values = {});

// The nutrient code a cell names, by its code ("008") or its food-table column ("sodium").
class NutrientNames
{
public:
    explicit NutrientNames(QSqlDatabase& db);
    QString codeOf(const CsvTable& table, int row, int column, const QString& file) const;
    // The unit of a nutrient code ("g", "mg", "kcal").
    QString unitOf(const QString& code) const { return m_units.value(code); }

private:
    QHash<QString, QString> m_codes; // code or column name -> code
    QHash<QString, QString> m_units; // code -> unit
};

} // namespace KavDb::CsvImport
