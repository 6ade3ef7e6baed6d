// The two text formats the database tool reads: comma-separated tables and SQL scripts.

#include "CsvReader.h"
#include "KavException.h"
#include "SchemaScript.h"

#include <QtTest>

class TstTextFormats : public QObject
{
    Q_OBJECT

private slots:
    void csvFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("firstRow");
        QTest::addColumn<int>("rows");
        QTest::addRow("plain") << "a,b,c\n1,2,3\n" << QStringList{"1", "2", "3"} << 1;
        QTest::addRow("quoted comma") << "a,b\n\"x, y\",z\n" << QStringList{"x, y", "z"} << 1;
        QTest::addRow("doubled quote") << "a,b\n\"diz \"\"oi\"\"\",z\n"
                                       << QStringList{"diz \"oi\"", "z"} << 1;
        QTest::addRow("line break inside quotes") << "a,b\n\"linha 1\nlinha 2\",z\n3,4\n"
                                                  << QStringList{"linha 1\nlinha 2", "z"} << 2;
        QTest::addRow("empty cells") << "a,b,c\n,,\n" << QStringList{"", "", ""} << 1;
        QTest::addRow("windows line ends") << "a,b\r\n1,2\r\n" << QStringList{"1", "2"} << 1;
        QTest::addRow("no final line end") << "a,b\n1,2" << QStringList{"1", "2"} << 1;
        QTest::addRow("blank lines skipped") << "a,b\n\n1,2\n\n" << QStringList{"1", "2"} << 1;
        QTest::addRow("accents") << "a\nçãé\n" << QStringList{"çãé"} << 1;
    }
    void csvFields()
    {
        QFETCH(QString, text);
        const KavDb::CsvTable table = KavDb::parseCsv(text, "t.csv");
        QTEST(int(table.rows.size()), "rows");
        QTEST(table.rows.first(), "firstRow");
    }

    void csvLinesNameTheRowInErrors()
    {
        const KavDb::CsvTable table = KavDb::parseCsv("a,b\n\"x\ny\",1\n2,3\n", "t.csv");
        QCOMPARE(table.lines, (QList<int>{2, 4}));
        try {
            KavDb::parseCsv("a,b\n1,2\n3\n", "t.csv");
            QFAIL("accepted a short row");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains("t.csv, line 3"), qPrintable(error.message()));
        }
    }

    void sqlStatements_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("statements");
        QTest::addRow("two statements and comments")
            << "-- tabela\nCREATE TABLE A (X INTEGER);\n\n-- outra\nCREATE TABLE B (Y INTEGER);\n"
            << QStringList{"CREATE TABLE A (X INTEGER)", "CREATE TABLE B (Y INTEGER)"};
        QTest::addRow("semicolon inside a line does not split")
            << "INSERT INTO T VALUES ('a;b');\n"
            << QStringList{"INSERT INTO T VALUES ('a;b')"};
        QTest::addRow("set term for a procedure body")
            << "SET TERM ^ ;\nCREATE PROCEDURE P AS\nBEGIN\n  X = 1;\nEND^\nSET TERM ; ^\nSELECT 1 FROM T;\n"
            << QStringList{"CREATE PROCEDURE P AS\nBEGIN\n  X = 1;\nEND", "SELECT 1 FROM T"};
        QTest::addRow("dollar-quoted body")
            << "CREATE FUNCTION F() RETURNS INT AS $$\n  SELECT 1;\n$$ LANGUAGE SQL;\nSELECT 2;\n"
            << QStringList{"CREATE FUNCTION F() RETURNS INT AS $$\n  SELECT 1;\n$$ LANGUAGE SQL", "SELECT 2"};
        QTest::addRow("last statement without terminator")
            << "SELECT 1;\nSELECT 2" << QStringList{"SELECT 1", "SELECT 2"};
    }
    void sqlStatements()
    {
        QFETCH(QString, script);
        QTEST(KavDb::splitSqlScript(script), "statements");
    }

    void createdTablesInOrder()
    {
        QCOMPARE(KavDb::createdTables({"CREATE TABLE filial (X INT)", "CREATE INDEX I ON FILIAL (X)",
                                       "create table PRATO (Y INT)"}),
                 (QStringList{"FILIAL", "PRATO"}));
    }
};

QTEST_MAIN(TstTextFormats)
#include "tst_textformats.moc"
