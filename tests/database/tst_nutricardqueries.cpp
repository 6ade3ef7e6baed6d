// The screen's lookup queries, run from its stored layout on SQLite, PostgreSQL and Firebird
// against one fixture: the same rows on every engine.

#include "ClientCoreContext.h"
#include "DatabaseConnection.h"
#include "KavException.h"
#include "NutriCardData.h"
#include "SchemaInstaller.h"
#include "SchemaScript.h"
#include "ScratchDatabase.h"
#include "TADOIBQuery.h"
#include "TField.h"
#include "TParameter.h"

#include <map>
#include <memory>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using Engine = ScratchDatabase::Engine;
Q_DECLARE_METATYPE(Engine)

namespace {

QString connectionOf(Engine engine)
{
    return QStringLiteral("queries-") + ScratchDatabase::engineName(engine);
}

// One row per engine for each case a _data() function adds.
template <class AddRow> void perEngine(const char* name, AddRow addRow)
{
    for (Engine engine : ScratchDatabase::engines())
        addRow(QTest::addRow("%s: %s", qPrintable(ScratchDatabase::engineName(engine)), name) << engine);
}

} // namespace

class TstNutriCardQueries : public QObject
{
    Q_OBJECT

    std::map<Engine, std::unique_ptr<ScratchDatabase>> m_databases;
    // The client the data components are created in.
    Kav::ClientCoreContext m_context;
    std::unique_ptr<QObject> m_form;

    // The query of the layout, closed, on the engine's database, its parameters cleared.
    TADOIBQuery* query(const QString& name, Engine engine)
    {
        auto* query = m_form->findChild<TADOIBQuery*>(name);
        if (!query)
            return nullptr;
        query->Close();
        query->setConnectionName(connectionOf(engine));
        for (TParameter* param : query->Params())
            param->Clear();
        return query;
    }

    // Every row, the given fields joined by "|".
    static QStringList rows(TADOIBQuery* query, const QStringList& fields)
    {
        QStringList result;
        query->Open();
        for (query->First(); !query->Eof(); query->Next()) {
            QStringList values;
            for (const QString& field : fields)
                values << query->FieldByName(field)->AsString();
            result << values.join(QLatin1Char('|'));
        }
        return result;
    }

    void loadFixture(QSqlDatabase db)
    {
        QFile file(QStringLiteral(KAV_TEST_DIR "/fixture.sql"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        for (const QString& statement : KavDb::splitSqlScript(QString::fromUtf8(file.readAll()))) {
            QSqlQuery insert(db);
            QVERIFY2(insert.exec(statement), qPrintable(insert.lastError().text() + "\n" + statement));
        }
    }

private slots:
    void initTestCase()
    {
        m_form = NutriCardData::createStandalone(m_context);
        for (Engine engine : ScratchDatabase::engines()) {
            auto database = std::make_unique<ScratchDatabase>(engine, QStringLiteral("queries"));
            if (database->isAvailable()) {
                QSqlDatabase db =
                    Kav::DatabaseConnection::open(database->url(), connectionOf(engine),
                                                  Kav::DatabaseConnection::OpenMode::CreateIfMissing);
                KavDb::SchemaInstaller(db).create(false);
                loadFixture(db);
            }
            m_databases[engine] = std::move(database);
        }
    }

    void cleanupTestCase()
    {
        m_form.reset();
        for (Engine engine : ScratchDatabase::engines())
            Kav::DatabaseConnection::close(connectionOf(engine));
        m_databases.clear();
    }

    void filialFindsOneBranchAndItsCentral_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("centralNameIsNull");
        perEngine("school of a central", [](QTestData& row) {
            row << "0011" << QStringList{"0011|Escola São João|N|0010|Cozinha Central Norte"} << false;
        });
        perEngine("branch without a central (outer join)", [](QTestData& row) {
            row << "0030" << QStringList{"0030|Escola Rural Isolada|N||"} << true;
        });
        perEngine("the central itself", [](QTestData& row) {
            row << "0010" << QStringList{"0010|Cozinha Central Norte|S||"} << true;
        });
        perEngine("unknown branch", [](QTestData& row) { row << "9999" << QStringList{} << false; });
        perEngine("empty code finds nothing", [](QTestData& row) { row << "" << QStringList{} << false; });
    }
    void filialFindsOneBranchAndItsCentral()
    {
        QFETCH(Engine, engine);
        QFETCH(QString, branch);
        QFETCH(bool, centralNameIsNull);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        TADOIBQuery* qry = query("qryFilial", engine);
        qry->ParamByName("P_CDFILIAL")->setAsString(branch);
        QTEST(rows(qry, {"CDFILIAL", "NMFILIAL", "IDFILCENTZVE", "CDFILCENTZVE", "NMFILCENTZVE"}),
              "expected");
        if (!qry->IsEmpty())
            QCOMPARE(qry->FieldByName("NMFILCENTZVE")->IsNull(), centralNameIsNull);
    }

    void tipoCardListsTheCentralsMenuTypes_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<QString>("central");
        QTest::addColumn<QVariant>("code");
        QTest::addColumn<QStringList>("expected");
        const QStringList all = {"0000000001|Creche|S", "0000000002|Pré-escola|S", "0000000003|Férias|N"};
        perEngine("empty code lists all", [&](QTestData& row) { row << "0010" << QVariant("") << all; });
        perEngine("cleared code lists all", [&](QTestData& row) { row << "0010" << QVariant() << all; });
        perEngine("a code lists that one", [](QTestData& row) {
            row << "0010" << QVariant("0000000002") << QStringList{"0000000002|Pré-escola|S"};
        });
        perEngine("inactive type is listed, marked N", [](QTestData& row) {
            row << "0010" << QVariant("0000000003") << QStringList{"0000000003|Férias|N"};
        });
        perEngine("another central's code",
                  [](QTestData& row) { row << "0020" << QVariant("0000000002") << QStringList{}; });
        perEngine("other central, all", [](QTestData& row) {
            row << "0020" << QVariant("") << QStringList{"0000000001|Ensino fundamental|S"};
        });
    }
    void tipoCardListsTheCentralsMenuTypes()
    {
        QFETCH(Engine, engine);
        QFETCH(QString, central);
        QFETCH(QVariant, code);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        TADOIBQuery* qry = query("qryTipoCard", engine);
        qry->ParamByName("P_CDFILCENTZVE")->setAsString(central);
        qry->ParamByName("P_CDTIPOCARD")->setValue(code);
        QTEST(rows(qry, {"CDTIPOCARD", "NMTIPOCARD", "IDTPCARDATIV"}), "expected");
    }

    void filAgreListsOnlyActiveLinks_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<QString>("central");
        QTest::addColumn<QString>("menuType");
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QStringList>("expected");
        perEngine("all active links of the menu type", [](QTestData& row) {
            row << "0010"
                << "0000000001"
                << "" << QStringList{"0011|Escola São João", "0012|Creche Pingo de Gente"};
        });
        perEngine("branch whose link is inactive", [](QTestData& row) {
            row << "0010"
                << "0000000001"
                << "0013" << QStringList{};
        });
        perEngine("branch with an active link", [](QTestData& row) {
            row << "0010"
                << "0000000001"
                << "0012" << QStringList{"0012|Creche Pingo de Gente"};
        });
        perEngine("the same branch, another type", [](QTestData& row) {
            row << "0010"
                << "0000000002"
                << "" << QStringList{"0013|EMEF Açaí"};
        });
        perEngine("branch of another central", [](QTestData& row) {
            row << "0010"
                << "0000000001"
                << "0021" << QStringList{};
        });
        perEngine("branch without a central", [](QTestData& row) {
            row << "0010"
                << "0000000001"
                << "0030" << QStringList{};
        });
    }
    void filAgreListsOnlyActiveLinks()
    {
        QFETCH(Engine, engine);
        QFETCH(QString, central);
        QFETCH(QString, menuType);
        QFETCH(QString, branch);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        TADOIBQuery* qry = query("qryFilAgre", engine);
        qry->ParamByName("P_CDFILIAL")->setAsString(branch);
        qry->ParamByName("P_CDFILCENTZVE")->setAsString(central);
        qry->ParamByName("P_CDTIPOCARD")->setAsString(menuType);
        QTEST(rows(qry, {"CDFILIAL", "NMFILIAL"}), "expected");
    }

    void pesqFilialRunsOnlyWhereItHasAStatement_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QStringList>("expected");
        perEngine("every central", [](QTestData& row) { row << "" << QStringList{"0010", "0020", "0050"}; });
        perEngine("one central", [](QTestData& row) { row << "0020" << QStringList{"0020"}; });
        perEngine("a school is no central", [](QTestData& row) { row << "0011" << QStringList{}; });
    }
    void pesqFilialRunsOnlyWhereItHasAStatement()
    {
        QFETCH(Engine, engine);
        QFETCH(QString, branch);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        TADOIBQuery* qry = query("qryPesqFilial", engine);
        qry->ParamByName("P_CDFILIAL")->setAsString(branch);
        if (engine != Engine::Firebird) {
            QVERIFY_THROWS_EXCEPTION(Kav::Exception, qry->Open()); // no plain statement
            QVERIFY(!qry->Active());
            return;
        }
        QTEST(rows(qry, {"CDFILIAL"}), "expected");
    }

    void pratoListsSharedAndOwnDishesOfTheLevel_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QVariant>("level");
        QTest::addColumn<QStringList>("expected");
        perEngine("central 0010", [](QTestData& row) {
            row << "0010" << QVariant(3)
                << QStringList{"0101000001P|Arroz branco", "0102000001P|Feijão carioca",
                               "02010000030010|Frango ao molho"};
        });
        perEngine("central 0020", [](QTestData& row) {
            row << "0020" << QVariant(3)
                << QStringList{"0101000001P|Arroz branco", "0102000001P|Feijão carioca",
                               "02010000030020|Galinhada", "02020000010020|Carne moída"};
        });
        perEngine("level as text", [](QTestData& row) {
            row << "0010" << QVariant("3")
                << QStringList{"0101000001P|Arroz branco", "0102000001P|Feijão carioca",
                               "02010000030010|Frango ao molho"};
        });
        perEngine("group level", [](QTestData& row) {
            row << "0010" << QVariant(1) << QStringList{"0100000000P|Acompanhamentos"};
        });
        perEngine("no branch: shared only", [](QTestData& row) {
            row << "" << QVariant(3) << QStringList{"0101000001P|Arroz branco", "0102000001P|Feijão carioca"};
        });
    }
    void pratoListsSharedAndOwnDishesOfTheLevel()
    {
        QFETCH(Engine, engine);
        QFETCH(QString, branch);
        QFETCH(QVariant, level);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        TADOIBQuery* qry = query("qryPrato", engine);
        qry->ParamByName("P_CDFILIAL")->setAsString(branch);
        qry->ParamByName("P_CDNVPRATO")->setValue(level);
        QTEST(rows(qry, {"CDCHAVE", "NMPRATO"}), "expected");
    }

    void vdPratoNeverFindsAnotherBranchsDish_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QString>("dish");
        QTest::addColumn<QStringList>("expected");
        perEngine("own dish of 0010", [](QTestData& row) {
            row << "0010"
                << "0201000003" << QStringList{"0201000003|0010|Frango ao molho"};
        });
        perEngine("same code, own dish of 0020", [](QTestData& row) {
            row << "0020"
                << "0201000003" << QStringList{"0201000003|0020|Galinhada"};
        });
        perEngine("dish of another central", [](QTestData& row) {
            row << "0010"
                << "0202000001" << QStringList{};
        });
        perEngine("shared dish", [](QTestData& row) {
            row << "0010"
                << "0101000001" << QStringList{"0101000001|P|Arroz branco"};
        });
        perEngine("empty code", [](QTestData& row) {
            row << "0010"
                << "" << QStringList{};
        });
    }
    void vdPratoNeverFindsAnotherBranchsDish()
    {
        QFETCH(Engine, engine);
        QFETCH(QString, branch);
        QFETCH(QString, dish);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        TADOIBQuery* qry = query("qryVdPrato", engine);
        qry->ParamByName("P_CDFILIAL")->setAsString(branch);
        qry->ParamByName("P_CDPRATO")->setAsString(dish);
        QTEST(rows(qry, {"CDPRATO", "CDFILAUXPRAT", "NMPRATO"}), "expected");
    }

    void listsWithoutParameters_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<QString>("queryName");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("expected");
        perEngine("nutrients in code order", [](QTestData& row) {
            row << "qryNutriente" << QStringList{"CDNUTRIENTE", "NMNUTRIENTE"}
                << QStringList{"001|Energia", "002|Proteína", "006|Cálcio"};
        });
        perEngine("dish types in code order", [](QTestData& row) {
            row << "qryTipoPrat" << QStringList{"CDTIPOPRAT", "NMTIPOPRAT"}
                << QStringList{"01|Prato principal", "02|Acompanhamento"};
        });
        perEngine("general parameters", [](QTestData& row) {
            row << "qryParamGeral" << QStringList{"CDCALORIAS", "CDPROTEINA"} << QStringList{"001|002"};
        });
    }
    void listsWithoutParameters()
    {
        QFETCH(Engine, engine);
        QFETCH(QString, queryName);
        QFETCH(QStringList, fields);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        QTEST(rows(query(queryName, engine), fields), "expected");
    }

    void accentedTextRoundTrips_data()
    {
        QTest::addColumn<Engine>("engine");
        perEngine("bound, stored and read back", [](QTestData&) {});
    }
    void accentedTextRoundTrips()
    {
        QFETCH(Engine, engine);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        const QString name = QStringLiteral("Ação – coração, pão, maçã, güera, ñandu, µg");
        QSqlQuery insert(QSqlDatabase::database(connectionOf(engine), false));
        QVERIFY(insert.prepare("INSERT INTO TIPOCARD (CDFILCENTZVE, CDTIPOCARD, NMTIPOCARD, IDTPCARDATIV) "
                               "VALUES (?, ?, ?, ?)"));
        insert.addBindValue(QStringLiteral("0050"));
        insert.addBindValue(QStringLiteral("0000000009"));
        insert.addBindValue(name);
        insert.addBindValue(QStringLiteral("S"));
        QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        TADOIBQuery* qry = query("qryTipoCard", engine);
        qry->ParamByName("P_CDFILCENTZVE")->setAsString("0050");
        const QStringList read = rows(qry, {"NMTIPOCARD"});
        QVERIFY(QSqlQuery(QSqlDatabase::database(connectionOf(engine), false))
                    .exec("DELETE FROM TIPOCARD WHERE CDFILCENTZVE = '0050'"));
        QCOMPARE(read, QStringList{name});
    }
};

QTEST_MAIN(TstNutriCardQueries)
#include "tst_nutricardqueries.moc"
