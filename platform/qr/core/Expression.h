#pragma once
// A compiled expression of a report layout: columns of the query by name, parameters as
// ":P_NAME", text in single quotes, numbers, + - * / (a + with a text operand joins texts, as
// does ||), comparisons, and/or/not, functions (if, format, coalesce, upper, lower, trim, substr,
// len, round, abs, isnull, page, pages, now) and aggregates over the band's rows (sum, avg,
// count, min, max, distinct). A null operand makes arithmetic null and comparisons false.

#include <memory>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Qr {

class ExpressionContext;

namespace detail {
struct Node;
}

class Expression
{
public:
    // Kav::Exception naming the expression and the position of the fault.
    static Expression compile(const QString& text);

    Expression();
    const QString& text() const { return m_text; }
    bool isEmpty() const { return !m_root; }

    // Kav::Exception naming a column the expression reads that `columns` lacks (case-insensitive).
    // The expression is not changed: each run finds its columns through its own ColumnMap.
    void checkColumns(const QStringList& columns) const;
    QVariant evaluate(const ExpressionContext& context) const;
    // Evaluated as a condition: null and false are false.
    bool isTrue(const ExpressionContext& context) const;
    // The number the printed value begins with, as the data hold it (before a format() rounds it):
    // 661.4499 for "format(VR1, '#,##0.0') + '*'", printed "661,4*"; null when the value does not
    // begin with a number ("mín. 700").
    QVariant leadingNumber(const ExpressionContext& context) const;
    // Whether the printed value begins with a format() of no value ("format(VR1, '0.0') + '*'"
    // where VR1 is null).
    bool leadsWithMissingNumber(const ExpressionContext& context) const;

    bool usesPageCount() const { return m_usesPageCount; }
    bool usesAggregates() const { return m_usesAggregates; }
    const QStringList& parameterNames() const { return m_parameters; }
    const QStringList& columnNames() const { return m_columns; }

    static bool toBool(const QVariant& value);

private:
    QString m_text;
    std::shared_ptr<Qr::detail::Node> m_root;
    bool m_usesPageCount = false;
    bool m_usesAggregates = false;
    QStringList m_parameters;
    QStringList m_columns;
};

} // namespace Qr
