// Layout expressions and value formats: what a band shows for a row, a group or the report.

#include "ColumnMap.h"
#include "Expression.h"
#include "ExpressionContext.h"
#include "KavException.h"
#include "ValueFormatter.h"

#include <atomic>
#include <QtTest>
#include <thread>

using namespace Qr;

namespace {

const QStringList kColumns = {QStringLiteral("DIA"), QStringLiteral("KCAL"), QStringLiteral("INCOMPLETO"),
                              QStringLiteral("PRATO")};

// Four rows; the current row is the second. Aggregates cover all four.
class TableContext : public ExpressionContext
{
public:
    QList<QVariantList> rows = {
        {QDate(2025, 3, 3), 310.5, QStringLiteral("N"), QStringLiteral("Arroz")},
        {QDate(2025, 3, 3), 120.0, QStringLiteral("S"), QStringLiteral("Feijão")},
        {QDate(2025, 3, 4), QVariant(QMetaType(QMetaType::Double)), QStringLiteral("N"),
         QStringLiteral("Suco")},
        {QDate(2025, 3, 4), 89.5, QStringLiteral("N"), QStringLiteral("Maçã")},
    };
    int row = 1;
    ColumnMap columns{kColumns};

    QVariant column(const QString& key) const override { return rows[row].value(columns.indexOf(key)); }
    QVariant parameter(const QString& name) const override
    {
        if (name == QLatin1String("P_OPCAO"))
            return QStringLiteral("X");
        if (name == QLatin1String("P_DTINICIAL"))
            return QDateTime(QDate(2025, 3, 1), QTime(0, 0));
        return QString();
    }
    void forEachRowInScope(const std::function<void(const ExpressionContext&)>& visit) const override
    {
        TableContext each = *this;
        for (each.row = 0; each.row < rows.size(); ++each.row)
            visit(each);
    }
    int pageNumber() const override { return 2; }
    int pageCount() const override { return 7; }
    QDateTime now() const override { return QDateTime(QDate(2025, 4, 1), QTime(8, 30)); }
};

} // namespace

class TstQrExpression : public QObject
{
    Q_OBJECT
private slots:
    void evaluates_data();
    void evaluates();
    void compileErrorsNamePosition_data();
    void compileErrorsNamePosition();
    void unknownColumnIsNamed();
    void reportsWhatItUses();
    void oneExpressionServesAnyColumnOrderOnAnyThread();
    void formats_data();
    void formats();
    void leadingNumberIsTheStoredValue_data();
    void leadingNumberIsTheStoredValue();
};

void TstQrExpression::evaluates_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("shown");
    QTest::addRow("column") << "PRATO"
                            << "Feijão";
    QTest::addRow("column case-insensitive") << "prato"
                                             << "Feijão";
    QTest::addRow("text concatenation with +") << "PRATO + ' (' + KCAL + ')'"
                                               << "Feijão (120)";
    QTest::addRow("|| concatenation") << "'a' || 1 || null"
                                      << "a1";
    QTest::addRow("integer arithmetic stays integral") << "7 / 2 + 2 * 3 - 1"
                                                       << "8,5";
    QTest::addRow("precedence and parentheses") << "(1 + 2) * 3"
                                                << "9";
    QTest::addRow("unary minus") << "-KCAL + 20"
                                 << "-100";
    QTest::addRow("null arithmetic is null") << "KCAL + null"
                                             << "";
    QTest::addRow("division by zero is null") << "KCAL / 0"
                                              << "";
    QTest::addRow("comparison with null is false") << "if(null = null, 'sim', 'não')"
                                                   << "não";
    QTest::addRow("string comparison") << "if(INCOMPLETO = 'S', '*', '')"
                                       << "*";
    QTest::addRow("numeric comparison, not textual") << "if(KCAL > 99, 'alto', 'baixo')"
                                                     << "alto";
    QTest::addRow("date comparison") << "if(DIA > :P_DTINICIAL, 'depois', 'antes')"
                                     << "depois";
    QTest::addRow("and/or/not") << "if(not (KCAL < 100 or PRATO = 'x') and true, 1, 0)"
                                << "1";
    QTest::addRow("parameter") << ":P_OPCAO"
                               << "X";
    QTest::addRow("sum skips nulls") << "sum(KCAL)"
                                     << "520";
    QTest::addRow("avg over non-null values") << "format(avg(KCAL), '0.00')"
                                              << "173,33";
    QTest::addRow("count rows") << "count()"
                                << "4";
    QTest::addRow("count non-null") << "count(KCAL)"
                                    << "3";
    QTest::addRow("distinct days") << "distinct(DIA)"
                                   << "2";
    QTest::addRow("max of text marks incomplete") << "max(INCOMPLETO)"
                                                  << "S";
    QTest::addRow("min") << "min(KCAL)"
                         << "89,5";
    QTest::addRow("share of total") << "format(KCAL * 100 / sum(KCAL), '0.0') + '%'"
                                    << "23,1%";
    QTest::addRow("page X de Y") << "'Página ' + page() + ' de ' + pages()"
                                 << "Página 2 de 7";
    QTest::addRow("now with a date format") << "format(now(), 'dd/MM/yyyy hh:mm')"
                                            << "01/04/2025 08:30";
    QTest::addRow("weekday in Portuguese") << "format(DIA, 'dddd')"
                                           << "segunda-feira";
    QTest::addRow("coalesce") << "coalesce(null, '', 'x')"
                              << "";
    QTest::addRow("substr and len") << "substr(PRATO, 2, 3) + len(PRATO)"
                                    << "eij6";
    QTest::addRow("round") << "round(2.345, 2)"
                           << "2,35";
    QTest::addRow("upper, trim") << "upper(trim('  maçã '))"
                                 << "MAÇÃ";
    QTest::addRow("quote inside text") << "'d''água'"
                                       << "d'água";
    QTest::addRow("isnull") << "if(isnull(null), 'vazio', 'cheio')"
                            << "vazio";
}

void TstQrExpression::evaluates()
{
    QFETCH(QString, expression);
    QFETCH(QString, shown);
    const Expression compiled = Expression::compile(expression);
    compiled.checkColumns(kColumns);
    QCOMPARE(ValueFormatter::format(compiled.evaluate(TableContext())), shown);
}

void TstQrExpression::leadingNumberIsTheStoredValue_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("number"); // null: the printed value does not begin with a number
    QTest::addColumn<bool>("missing");    // it begins with a format() of no value
    // The current row: KCAL 120, INCOMPLETO 'S'; the sum over the rows is 520.
    QTest::addRow("a column") << "KCAL" << QVariant(120.0) << false;
    QTest::addRow("formatted, not rounded") << "format(KCAL / 7, '#,##0.0')" << QVariant(120.0 / 7) << false;
    QTest::addRow("with its incomplete mark")
        << "format(KCAL / 7, '#,##0.0') + if(INCOMPLETO = 'S', '*', '')" << QVariant(120.0 / 7) << false;
    QTest::addRow("joined with ||") << "format(KCAL, '0') || ' kcal'" << QVariant(120.0) << false;
    QTest::addRow("branch chosen") << "if(INCOMPLETO = 'S', format(KCAL * 2, '0'), 'não')" << QVariant(240.0)
                                   << false;
    QTest::addRow("branch without a number") << "if(INCOMPLETO = 'N', KCAL, 'não')" << QVariant() << false;
    QTest::addRow("first of coalesce") << "coalesce(null, KCAL / 3)" << QVariant(40.0) << false;
    QTest::addRow("an empty text before it") << "'' + format(KCAL, '0')" << QVariant(120.0) << false;
    QTest::addRow("a text before it") << "'mín. ' + format(KCAL, '0')" << QVariant() << false;
    QTest::addRow("an aggregate") << "format(sum(KCAL), '#,##0')" << QVariant(520.0) << false;
    QTest::addRow("a name") << "PRATO" << QVariant() << false;
    QTest::addRow("a date") << "format(DIA, 'dd/MM')" << QVariant() << false;
    // A figure no ingredient has: no value, and the incomplete mark after it.
    QTest::addRow("no value, its mark")
        << "format(null, '0.0') + if(INCOMPLETO = 'S', '*', '')" << QVariant() << true;
    QTest::addRow("a mark of its own") << "if(INCOMPLETO = 'S', '*', '')" << QVariant() << false;
}

void TstQrExpression::leadingNumberIsTheStoredValue()
{
    QFETCH(QString, expression);
    QFETCH(QVariant, number);
    QFETCH(bool, missing);
    const Expression compiled = Expression::compile(expression);
    const QVariant leading = compiled.leadingNumber(TableContext());
    QCOMPARE(compiled.leadsWithMissingNumber(TableContext()), missing);
    QCOMPARE(leading.isNull(), number.isNull());
    if (!number.isNull())
        QCOMPARE(leading.toDouble(), number.toDouble());
}

void TstQrExpression::compileErrorsNamePosition_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("fault");
    QTest::addRow("unclosed parenthesis") << "(1 + 2"
                                          << "esperado ')' (posição 7)";
    QTest::addRow("unclosed text") << "'abc"
                                   << "texto sem aspa final (posição 1)";
    QTest::addRow("unknown function") << "soma(KCAL)"
                                      << "função desconhecida 'soma'";
    QTest::addRow("wrong argument count") << "if(1, 2)"
                                          << "número de argumentos errado para if";
    QTest::addRow("nested aggregate") << "sum(avg(KCAL))"
                                      << "agregação dentro de agregação";
    QTest::addRow("trailing operand") << "1 2"
                                      << "texto inesperado '2'";
    QTest::addRow("stray character") << "KCAL # 2"
                                     << "caractere inesperado '#'";
    QTest::addRow("dangling operator") << "KCAL +"
                                       << "expressão incompleta";
}

void TstQrExpression::compileErrorsNamePosition()
{
    QFETCH(QString, expression);
    QFETCH(QString, fault);
    try {
        Expression::compile(expression);
        QFAIL("a faulty expression compiled");
    } catch (const Kav::Exception& error) {
        QVERIFY2(error.message().contains(fault), qPrintable(error.message().left(200)));
        QVERIFY2(error.message().contains(expression.left(20)), qPrintable(error.message().left(200)));
    }
}

void TstQrExpression::unknownColumnIsNamed()
{
    const Expression compiled = Expression::compile(QStringLiteral("KCAL + VRNDPCAL"));
    try {
        compiled.checkColumns(kColumns);
        QFAIL("an unknown column was accepted");
    } catch (const Kav::Exception& error) {
        QVERIFY2(error.message().contains(QLatin1String("VRNDPCAL")), qPrintable(error.message()));
    }
}

void TstQrExpression::reportsWhatItUses()
{
    const Expression compiled =
        Expression::compile(QStringLiteral("sum(KCAL) + :P_A + :p_a + page() + pages() + kcal + :P_B"));
    QCOMPARE(compiled.parameterNames(), QStringList({QStringLiteral("P_A"), QStringLiteral("P_B")}));
    QCOMPARE(compiled.columnNames(), QStringList({QStringLiteral("KCAL")}));
    QVERIFY(compiled.usesAggregates());
    QVERIFY(compiled.usesPageCount());
    QVERIFY(!Expression::compile(QStringLiteral("page()")).usesPageCount());
}

void TstQrExpression::oneExpressionServesAnyColumnOrderOnAnyThread()
{
    const Expression compiled = Expression::compile(QStringLiteral("kcal * 2 + len(prato)"));
    // The same rows with their columns in the opposite order.
    TableContext reversed;
    reversed.columns = ColumnMap({QStringLiteral("PRATO"), QStringLiteral("INCOMPLETO"),
                                  QStringLiteral("KCAL"), QStringLiteral("DIA")});
    for (QVariantList& row : reversed.rows)
        std::reverse(row.begin(), row.end());
    const TableContext inOrder;
    const QVariant expected(120.0 * 2 + 6); // Feijão
    QCOMPARE(compiled.evaluate(inOrder), expected);
    QCOMPARE(compiled.evaluate(reversed), expected);
    QCOMPARE(compiled.evaluate(inOrder), expected);

    // Both orders at once on two threads, the expression shared.
    constexpr int kRounds = 20000;
    std::atomic_int wrong = 0;
    const auto evaluateMany = [&](const TableContext& context) {
        for (int i = 0; i < kRounds; ++i)
            if (compiled.evaluate(context) != expected)
                ++wrong;
    };
    std::thread first(evaluateMany, std::cref(inOrder));
    std::thread second(evaluateMany, std::cref(reversed));
    first.join();
    second.join();
    QCOMPARE(wrong.load(), 0);
}

void TstQrExpression::formats_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("shown");
    QTest::addRow("null is empty") << QVariant(QMetaType(QMetaType::Double)) << "0.0"
                                   << "";
    QTest::addRow("thousands and decimals") << QVariant(1234567.891) << "#,##0.00"
                                            << "1.234.567,89";
    QTest::addRow("rounds half away from zero") << QVariant(0.25) << "0.0"
                                                << "0,3";
    QTest::addRow("optional decimals dropped") << QVariant(12.0) << "0.##"
                                               << "12";
    QTest::addRow("optional decimals kept") << QVariant(12.5) << "0.##"
                                            << "12,5";
    QTest::addRow("negative") << QVariant(-3.14159) << "0.00"
                              << "-3,14";
    QTest::addRow("negative rounding to zero has no sign") << QVariant(-0.001) << "0.0"
                                                           << "0,0";
    // Rounded once, from the value, on its significant digits: as a spreadsheet shows it.
    QTest::addRow("stored just under a half") << QVariant(661.4499) << "#,##0.0"
                                              << "661,4";
    QTest::addRow("tie stored under it (2.675)") << QVariant(2.675) << "0.00"
                                                 << "2,68";
    QTest::addRow("tie stored under it (1.005)") << QVariant(1.005) << "0.00"
                                                 << "1,01";
    QTest::addRow("negative tie") << QVariant(-2.675) << "0.00"
                                  << "-2,68";
    QTest::addRow("carry into thousands") << QVariant(999.96) << "#,##0.0"
                                          << "1.000,0";
    QTest::addRow("carry into a new digit") << QVariant(9.999) << "0.00"
                                            << "10,00";
    QTest::addRow("no decimals") << QVariant(0.5) << "0"
                                 << "1";
    QTest::addRow("tiny") << QVariant(0.000049) << "0.0000"
                          << "0,0000";
    QTest::addRow("large") << QVariant(123456789.125) << "#,##0.00"
                           << "123.456.789,13";
    QTest::addRow("default rounds to two") << QVariant(661.4499) << ""
                                           << "661,45";
    QTest::addRow("literal suffix") << QVariant(45.678) << "0.0%"
                                    << "45,7%";
    QTest::addRow("leading zeros") << QVariant(7) << "000"
                                   << "007";
    QTest::addRow("numeric text with numeric pattern") << QVariant(QStringLiteral("2.5")) << "0.00"
                                                       << "2,50";
    QTest::addRow("text untouched") << QVariant(QStringLiteral("Almoço")) << "0.0"
                                    << "Almoço";
    QTest::addRow("default double") << QVariant(1500.5) << ""
                                    << "1.500,5";
    QTest::addRow("default integral double") << QVariant(300.0) << ""
                                             << "300";
    QTest::addRow("default integer") << QVariant(qlonglong(12345)) << ""
                                     << "12345";
    QTest::addRow("default date") << QVariant(QDate(2025, 3, 9)) << ""
                                  << "09/03/2025";
    QTest::addRow("default date-time at midnight") << QVariant(QDate(2025, 3, 9).startOfDay()) << ""
                                                   << "09/03/2025";
    QTest::addRow("date pattern") << QVariant(QDate(2025, 3, 9)) << "ddd dd/MM"
                                  << "dom. 09/03";
}

void TstQrExpression::formats()
{
    QFETCH(QVariant, value);
    QFETCH(QString, pattern);
    QFETCH(QString, shown);
    QCOMPARE(ValueFormatter::format(value, pattern), shown);
}

QTEST_MAIN(TstQrExpression)
#include "tst_qrexpression.moc"
