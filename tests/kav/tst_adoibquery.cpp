// The multi-dialect query on an SQLite database: which statement runs, how parameters bind,
// and how failures surface.

#include "ClassRegistry.h"
#include "ClientCoreContext.h"
#include "DatabaseConnection.h"
#include "KavException.h"
#include "Registration.h"
#include "SqlPlaceholders.h"
#include "TADOIBQuery.h"
#include "TParameter.h"
#include "TStringField.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Connection = QStringLiteral("tst_adoibquery");

const QStringList OptionalFilter = {
    "SELECT CDTIPOCARD, NMTIPOCARD FROM TIPOCARD",
    "WHERE (CDFILCENTZVE = :P_CDFILCENTZVE) AND (CDTIPOCARD = NVL(:P_CDTIPOCARD, CDTIPOCARD))",
    "ORDER BY CDTIPOCARD"};

} // namespace

class TstAdoIbQuery : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    TADOIBQuery* newQuery(QObject* parent, const QStringList& sql)
    {
        auto* query = new TADOIBQuery(parent);
        query->setObjectName("qryTeste");
        query->setConnectionName(Connection);
        query->setSQL(sql);
        return query;
    }

    QStringList codes(TADOIBQuery* query)
    {
        QStringList result;
        query->Close();
        query->Open();
        for (query->First(); !query->Eof(); query->Next())
            result << query->FieldByName("CDTIPOCARD")->AsString();
        return result;
    }

private slots:
    void initTestCase()
    {
        QSqlDatabase db = Kav::DatabaseConnection::open("sqlite://" + m_dir.filePath("q.db"), Connection,
                                                        Kav::DatabaseConnection::OpenMode::CreateIfMissing);
        QSqlQuery q(db);
        QVERIFY(q.exec("CREATE TABLE TIPOCARD (CDFILCENTZVE VARCHAR(4), CDTIPOCARD VARCHAR(10), NMTIPOCARD "
                       "VARCHAR(100), NRNIVEL INTEGER)"));
        QVERIFY(q.exec("INSERT INTO TIPOCARD VALUES ('0010', '0000000001', 'Creche', 1), "
                       "('0010', '0000000002', 'Pré-escola', 2), ('0020', '0000000001', 'Ensino médio', 1)"));
    }
    void cleanupTestCase() { Kav::DatabaseConnection::close(Connection); }

    void optionalFilterMeansNoFilterWhenEmpty_data()
    {
        QTest::addColumn<QVariant>("code");
        QTest::addColumn<bool>("cleared");
        QTest::addColumn<QStringList>("expected");
        const QStringList all = {"0000000001", "0000000002"};
        QTest::addRow("empty text") << QVariant("") << false << all;
        QTest::addRow("null text") << QVariant(QString()) << false << all;
        QTest::addRow("cleared") << QVariant("0000000002") << true << all;
        QTest::addRow("a code") << QVariant("0000000002") << false << QStringList{"0000000002"};
        QTest::addRow("unknown code") << QVariant("0000000009") << false << QStringList{};
        QTest::addRow("a number, bound as text") << QVariant(1) << false << QStringList{};
    }
    void optionalFilterMeansNoFilterWhenEmpty()
    {
        QFETCH(QVariant, code);
        QFETCH(bool, cleared);
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, OptionalFilter);
        query->ParamByName("P_CDFILCENTZVE")->setAsString("0010");
        query->ParamByName("P_CDTIPOCARD")->setValue(code);
        if (cleared)
            query->ParamByName("P_CDTIPOCARD")->Clear();
        QTEST(codes(query), "expected");
    }

    void mandatoryParameterLeftEmptyMatchesNothing()
    {
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, OptionalFilter);
        QCOMPARE(codes(query), QStringList{}); // P_CDFILCENTZVE never set: NULL equals no branch
    }

    void parameterTypes_data()
    {
        QTest::addColumn<int>("dataType");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("storedAs");
        QTest::addRow("text keeps a number as text") << int(TParameter::ftString) << QVariant(7) << "text";
        QTest::addRow("unknown follows an integer") << int(TParameter::ftUnknown) << QVariant(7) << "integer";
        QTest::addRow("unknown follows a text") << int(TParameter::ftUnknown) << QVariant("7") << "text";
        QTest::addRow("integer converts a text") << int(TParameter::ftInteger) << QVariant("7") << "integer";
        QTest::addRow("empty unknown is null") << int(TParameter::ftUnknown) << QVariant("") << "null";
        QTest::addRow("empty integer is null") << int(TParameter::ftInteger) << QVariant("") << "null";
    }
    void parameterTypes()
    {
        QFETCH(int, dataType);
        QFETCH(QVariant, value);
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, {"SELECT typeof(:P_VALOR) TIPO"});
        TParameter* param = query->ParamByName("P_VALOR");
        param->setDataType(TParameter::TFieldType(dataType));
        param->setValue(value);
        query->Open();
        QTEST(query->FieldByName("TIPO")->AsString(), "storedAs");
    }

    void valueThatDoesNotFitItsTypeIsRefused()
    {
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, {"SELECT :P_NIVEL N"});
        query->ParamByName("P_NIVEL")->setDataType(TParameter::ftInteger);
        query->ParamByName("P_NIVEL")->setAsString("dois");
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, query->Open());
        QVERIFY(!query->Active());
    }

    void repeatedPlaceholderTakesOneValue()
    {
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, {"SELECT COUNT(*) N FROM TIPOCARD WHERE CDFILCENTZVE = :P_F",
                                               "AND NVL(:P_F, 'x') = '0010'"});
        query->ParamByName("P_F")->setAsString("0010");
        query->Open();
        QCOMPARE(query->FieldByName("N")->AsInteger(), 2);
        QCOMPARE(query->Params().size(), 1);
    }

    void statementIsChosenByDialect()
    {
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, {"SELECT 'plain' D"});
        query->setSQL_IB({"SELECT 'interbase' D FROM RDB$DATABASE"});
        query->setSQL_ORACLE({"SELECT 'oracle' D FROM DUAL"});
        query->setSQL_MSSQL({"SELECT 'mssql' D"});
        QCOMPARE(int(query->dialect()), int(Kav::SqlDialect::Plain));
        query->Open();
        QCOMPARE(query->FieldByName("D")->AsString(), QString("plain"));
        QCOMPARE(query->statementFor(Kav::SqlDialect::InterBase),
                 QString("SELECT 'interbase' D FROM RDB$DATABASE"));
        QCOMPARE(query->statementFor(Kav::SqlDialect::Oracle), QString("SELECT 'oracle' D FROM DUAL"));
        QCOMPARE(query->statementFor(Kav::SqlDialect::MSSQL), QString("SELECT 'mssql' D"));
    }

    void noStatementForTheDialectIsAClearError()
    {
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, {});
        query->setObjectName("qryPesqFilial");
        query->setSQL_IB({"SELECT 1 FROM RDB$DATABASE"});
        try {
            query->Open();
            QFAIL("opened without a plain statement");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains("qryPesqFilial"), qPrintable(error.message()));
            QVERIFY(error.message().contains("plain"));
        }
        QVERIFY(!query->Active());
    }

    void databaseErrorsAreExceptions_data()
    {
        QTest::addColumn<QStringList>("sql");
        QTest::addRow("syntax") << QStringList{"SELEC CDTIPOCARD FROM TIPOCARD"};
        QTest::addRow("unknown table") << QStringList{"SELECT X FROM NAO_EXISTE"};
    }
    void databaseErrorsAreExceptions()
    {
        QFETCH(QStringList, sql);
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, sql);
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, query->Open());
        QVERIFY(!query->Active());
    }

    void onlyReadingStatementsRun_data()
    {
        QTest::addColumn<QStringList>("sql");
        QTest::addColumn<bool>("runs");
        QTest::addRow("delete") << QStringList{"DELETE FROM TIPOCARD"} << false;
        QTest::addRow("update after a comment")
            << QStringList{"-- limpa", "update TIPOCARD SET NMTIPOCARD = 'x'"} << false;
        QTest::addRow("two statements") << QStringList{"DROP TABLE TIPOCARD; SELECT 1"} << false;
        QTest::addRow("select in lower case") << QStringList{"select count(*) N from TIPOCARD"} << true;
        QTest::addRow("common table expression")
            << QStringList{"WITH T AS (SELECT 1 N) SELECT N FROM T"} << true;
    }
    void onlyReadingStatementsRun()
    {
        QFETCH(QStringList, sql);
        QFETCH(bool, runs);
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, sql);
        if (runs) {
            query->Open();
            QVERIFY(query->Active());
        } else {
            QVERIFY_THROWS_EXCEPTION(Kav::Exception, query->Open());
        }
        TADOIBQuery* check = newQuery(&owner, {"SELECT COUNT(*) N FROM TIPOCARD WHERE NMTIPOCARD <> 'x'"});
        check->Open();
        QCOMPARE(check->FieldByName("N")->AsInteger(), 3);
    }

    void closedConnectionIsAnError()
    {
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, OptionalFilter);
        query->setConnectionName("nao-aberta");
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, query->Open());
        query->setConnectionName(QString()); // the shared connection, which is not open here
        Kav::ClientCoreContext context;
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, query->Open());
    }

    void parameterLookup()
    {
        QObject owner;
        TADOIBQuery* query = newQuery(&owner, OptionalFilter);
        query->setSQL_IB({"SELECT 1 FROM TIPOCARD, PARAM(:P_CDFILIAL) P1 WHERE X = :P_CDTIPOCARD"});
        QCOMPARE(query->parameterNames(), (QStringList{"P_CDFILCENTZVE", "P_CDTIPOCARD", "P_CDFILIAL"}));
        TParameter* declared = new TParameter(query);
        declared->setParamName("P_CDTIPOCARD");
        declared->setDataType(TParameter::ftUnknown);
        QCOMPARE(query->ParamByName("p_cdtipocard"), declared);
        QCOMPARE(query->ParamByName("P_CDFILIAL")->DataType(), TParameter::ftString);
        QCOMPARE(query->ParamByName("P_CDFILIAL")->objectName(), QString("qryTesteP_CDFILIAL"));
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, query->ParamByName("P_OUTRO"));
        query->setParamCheck(false);
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, query->ParamByName("P_CDFILCENTZVE"));
        QCOMPARE(query->ParamByName("P_CDFILIAL"), query->Params().last()); // already created
    }

    void persistentFieldsOfAQuery()
    {
        QObject owner;
        TADOIBQuery* query = newQuery(
            &owner, {"SELECT CDTIPOCARD, NMTIPOCARD, NRNIVEL FROM TIPOCARD", "WHERE CDFILCENTZVE = '0020'"});
        auto* name = new TStringField(query);
        name->setFieldName("NMTIPOCARD");
        query->Open();
        QCOMPARE(query->Fields().size(), 1);
        QCOMPARE(name->AsString(), QString("Ensino médio")); // accents survive the round trip
        QVERIFY(!query->FindField("CDTIPOCARD"));
        QCOMPARE(query->Query(), static_cast<TDataSet*>(query));
    }

    void placeholders_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("names");
        QTest::addRow("in order, once") << "A = :P_B AND C = :P_A AND D = :p_b" << QStringList{"P_B", "P_A"};
        QTest::addRow("inside quotes") << "X = ':P_NAO' AND \"A:B\" = :P_SIM" << QStringList{"P_SIM"};
        QTest::addRow("postgres cast") << "X = Y::TEXT AND Z = :P_Z" << QStringList{"P_Z"};
        QTest::addRow("comment") << "X = 1 -- :P_NAO\nAND Y = :P_Y" << QStringList{"P_Y"};
        QTest::addRow("oracle outer join") << "F.X = C.Y(+) AND F.Z = :P_Z" << QStringList{"P_Z"};
        QTest::addRow("table function") << "FROM T, PARAM(:P_CDTIPOCARD)P1" << QStringList{"P_CDTIPOCARD"};
        QTest::addRow("lone colon") << "SELECT ':' || X, Y : Z" << QStringList{};
    }
    void placeholders()
    {
        QFETCH(QString, sql);
        QTEST(Kav::sqlPlaceholders(sql), "names");
    }

    void everyDataClassIsRegistered_data()
    {
        QTest::addColumn<QString>("className");
        for (const char* name :
             {"TADOIBQuery", "TParameter", "TClientDataSet", "TDataSource", "TStringField", "TIntegerField",
              "TFloatField", "TDateTimeField", "TDateField", "TBooleanField"})
            QTest::addRow("%s", name) << QString::fromLatin1(name);
    }
    void everyDataClassIsRegistered()
    {
        QFETCH(QString, className);
        Kav::registerDataClasses();
        Kav::ClientCoreContext context;
        QObject owner;
        QObject* object = Kav::ClassRegistry::instance().create(className, &owner, context);
        QVERIFY(object);
        QCOMPARE(QString::fromLatin1(object->metaObject()->className()), className);
    }
};

QTEST_MAIN(TstAdoIbQuery)
#include "tst_adoibquery.moc"
