#include "CsvImport.h"

#include "KavException.h"

#include <QSqlError>

#include <cmath>

namespace KavDb::CsvImport {

void fail(const QString& file, int line, const QString& why)
{
    throw Kav::Exception(QStringLiteral("%1, line %2: %3").arg(file).arg(line).arg(why));
}

void DuplicateCheck::add(const QString& file, int line, const QString& key, const QString& what)
{
    const auto first = m_firstLines.constFind(key);
    if (first != m_firstLines.cend())
        fail(file, line,
             QStringLiteral("%1 is already on line %2: each may appear once").arg(what).arg(*first));
    m_firstLines.insert(key, line);
}

int requireColumn(const CsvTable& table, const QString& file, const QString& name)
{
    const int column = table.column(name);
    if (column < 0)
        throw Kav::Exception(
            QStringLiteral("%1 is not the expected table: it has no column \"%2\" (columns: %3).")
                .arg(file, name, table.header.join(QLatin1String(", "))));
    return column;
}

int requireId(const CsvTable& table, int row, int column, const QString& file)
{
    bool ok = false;
    const int id = table.rows[row][column].trimmed().toInt(&ok);
    if (!ok || id <= 0)
        fail(file, table.lines[row],
             QStringLiteral("\"%1\" in column %2 is not an id")
                 .arg(table.rows[row][column], table.header[column]));
    return id;
}

std::optional<double> optionalNumber(const CsvTable& table, int row, int column, const QString& file)
{
    const QString cell = table.rows[row][column].trimmed();
    if (cell.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = cell.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        fail(file, table.lines[row],
             QStringLiteral("\"%1\" in column %2 is not a number").arg(cell, table.header[column]));
    return value;
}

std::optional<double> optionalAmount(const CsvTable& table, int row, int column, const QString& file)
{
    const std::optional<double> value = optionalNumber(table, row, column, file);
    if (value && *value < 0.0)
        fail(file, table.lines[row],
             QStringLiteral("%1 in column %2 is negative: an amount of a nutrient is 0 or more")
                 .arg(table.rows[row][column].trimmed(), table.header[column]));
    return value;
}

QString requireText(const CsvTable& table, int row, int column, const QString& file)
{
    const QString cell = table.rows[row][column].trimmed();
    if (cell.isEmpty())
        fail(file, table.lines[row], QStringLiteral("column %1 is empty").arg(table.header[column]));
    return cell;
}

QSqlQuery run(QSqlDatabase& db, const QString& what, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(db);
    bool ok = query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    ok = ok && query.exec();
    if (!ok)
        throw Kav::Exception(QStringLiteral("%1 failed: %2").arg(what, query.lastError().text()));
    return query;
}

NutrientNames::NutrientNames(QSqlDatabase& db)
{
    QSqlQuery query = run(db, QStringLiteral("Reading the nutrients"),
                          QStringLiteral("SELECT CDNUTRIENTE, NMCOLTACO, SGUNIDADE FROM NUTRIENTE"));
    while (query.next()) {
        const QString code = query.value(0).toString();
        m_codes.insert(code, code);
        m_units.insert(code, query.value(2).toString().trimmed());
        const QString column = query.value(1).toString().trimmed();
        if (!column.isEmpty())
            m_codes.insert(column, code);
    }
}

QString NutrientNames::codeOf(const CsvTable& table, int row, int column, const QString& file) const
{
    const QString name = requireText(table, row, column, file);
    const auto it = m_codes.constFind(name);
    if (it == m_codes.cend())
        fail(file, table.lines[row],
             QStringLiteral("\"%1\" is neither a nutrient code nor a food-table column of NUTRIENTE")
                 .arg(name));
    return *it;
}

} // namespace KavDb::CsvImport
