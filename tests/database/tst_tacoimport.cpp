// Importing the food composition table: the real table on every engine, and files that are not
// the expected table, which must leave the database as it was.

#include "DatabaseConnection.h"
#include "KavException.h"
#include "SchemaInstaller.h"
#include "ScratchDatabase.h"
#include "TacoImporter.h"

#include <map>
#include <memory>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <tuple>

using Engine = ScratchDatabase::Engine;
Q_DECLARE_METATYPE(Engine)

namespace {

const QString TacoDir = QStringLiteral(KAV_SOURCE_DIR "/database/data/taco");
constexpr int TacoFoods = 597;
constexpr int TacoGroups = 15;
constexpr int TacoNutrientColumns = 26;

QVariant scalar(QSqlDatabase db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        return QStringLiteral("no row");
    return query.value(0);
}

void writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

const QString GoodGroups = "id,name\n1,Cereais e derivados\n14,Leguminosas e derivados\n";
const QString GoodFoods =
    "id,categoryId,name\n1,1,\"Arroz, integral, cozido\"\n561,14,\"Feijão, carioca, cozido\"\n";
const QString NutrientHeader =
    "foodId,moisture,kcal,kJ,protein,lipids,cholesterol,carbohydrates,dietaryFiber,ash,calcium,magnesium,"
    "manganese,phosphorus,iron,sodium,potassium,copper,zinc,retinol,re,rae,thiamin,riboflavin,pyridoxine,"
    "niacin,"
    "vitaminC\n";
const QString GoodValues =
    NutrientHeader +
    "1,70.1,124,517,2.6,1.0,,25.8,2.7,0.5,5,59,0.63,106,0.3,1,75,0.02,0.7,,,,0.08,0.00,0.08,0.00,\n"
    "561,80.4,76,320,4.8,0.5,,13.6,8.5,0.7,27,42,0.33,87,1.3,2,255,0.15,0.7,,,,0.04,0.00,0.06,0.00,\n";

} // namespace

class TstTacoImport : public QObject
{
    Q_OBJECT

    std::map<Engine, std::unique_ptr<ScratchDatabase>> m_databases;

    static QString connectionOf(Engine engine) { return "taco-" + ScratchDatabase::engineName(engine); }

private slots:
    void initTestCase()
    {
        for (Engine engine : ScratchDatabase::engines()) {
            auto database = std::make_unique<ScratchDatabase>(engine, QStringLiteral("taco"));
            if (database->isAvailable())
                KavDb::SchemaInstaller(
                    Kav::DatabaseConnection::open(database->url(), connectionOf(engine),
                                                  Kav::DatabaseConnection::OpenMode::CreateIfMissing))
                    .create(false);
            m_databases[engine] = std::move(database);
        }
    }
    void cleanupTestCase()
    {
        for (Engine engine : ScratchDatabase::engines())
            Kav::DatabaseConnection::close(connectionOf(engine));
        m_databases.clear();
    }

    void wholeTableOnEveryEngine_data()
    {
        QTest::addColumn<Engine>("engine");
        for (Engine engine : ScratchDatabase::engines())
            QTest::addRow("%s", qPrintable(ScratchDatabase::engineName(engine))) << engine;
    }
    void wholeTableOnEveryEngine()
    {
        QFETCH(Engine, engine);
        QVERIFY2(QFile::exists(TacoDir + "/food.csv"),
                 qPrintable("the food table is missing from " + TacoDir));
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        QSqlDatabase db = QSqlDatabase::database(connectionOf(engine), false);
        for (int round = 0; round < 2; ++round) { // a second import replaces, never duplicates
            const KavDb::TacoImportCounts counts = KavDb::TacoImporter(db).import(TacoDir);
            QCOMPARE(counts.foods, TacoFoods);
            QCOMPARE(counts.groups, TacoGroups);
            QCOMPARE(counts.values + counts.missingValues, TacoFoods * TacoNutrientColumns);
            QCOMPARE(scalar(db, "SELECT COUNT(*) FROM ALIMENTO").toInt(), TacoFoods);
            QCOMPARE(scalar(db, "SELECT COUNT(*) FROM COMPALIM").toInt(), TacoFoods * TacoNutrientColumns);
            QCOMPARE(scalar(db, "SELECT COUNT(*) FROM COMPALIM WHERE VRNUTRIENTE IS NULL").toInt(),
                     counts.missingValues);
        }
        QCOMPARE(scalar(db, "SELECT NMALIMENTO FROM ALIMENTO WHERE CDALIMENTO = 1").toString(),
                 QString("Arroz, integral, cozido"));
        QCOMPARE(scalar(db, "SELECT VRNUTRIENTE FROM COMPALIM WHERE CDALIMENTO = 1 AND CDNUTRIENTE = '001'")
                     .toDouble(),
                 124.0);
        QCOMPARE(scalar(db, "SELECT VRNUTRIENTE FROM COMPALIM WHERE CDALIMENTO = 1 AND CDNUTRIENTE = '002'")
                     .toDouble(),
                 2.6);
        // Cholesterol of food 1 is an empty cell: not analysed, NULL, not zero.
        QVERIFY(scalar(db, "SELECT VRNUTRIENTE FROM COMPALIM WHERE CDALIMENTO = 1 AND CDNUTRIENTE = '011'")
                    .isNull());
        // Its riboflavin is a trace ("Tr", 0.00 in the file): zero, not NULL.
        const QVariant trace =
            scalar(db, "SELECT VRNUTRIENTE FROM COMPALIM WHERE CDALIMENTO = 1 AND CDNUTRIENTE = '019'");
        QVERIFY(!trace.isNull());
        QCOMPARE(trace.toDouble(), 0.0);
        // Names lose the blanks some rows of the file carry; accents stay.
        QCOMPARE(scalar(db, "SELECT NMALIMENTO FROM ALIMENTO WHERE CDALIMENTO = 224").toString(),
                 QString("Mamão, doce em calda, drenado"));
        QCOMPARE(scalar(db, "SELECT VRFATORPROT FROM GRUPOALIM WHERE CDGRUPOALIM = 14").toDouble(), 0.6);
        QCOMPARE(scalar(db, "SELECT SGUNIDADE FROM NUTRIENTE WHERE CDNUTRIENTE = '010'").toString(),
                 QString("µg"));
    }

    void sitesProteinFactorSurvivesAReimport()
    {
        KAV_REQUIRE_DATABASE(*m_databases[Engine::SQLite]);
        QSqlDatabase db = QSqlDatabase::database(connectionOf(Engine::SQLite), false);
        QTemporaryDir dir;
        writeFile(dir.filePath("categories.csv"), GoodGroups);
        writeFile(dir.filePath("food.csv"), GoodFoods);
        writeFile(dir.filePath("nutrients.csv"), GoodValues);
        KavDb::TacoImporter(db).import(dir.path());
        QVERIFY(QSqlQuery(db).exec("UPDATE GRUPOALIM SET VRFATORPROT = 0.65 WHERE CDGRUPOALIM = 14"));
        KavDb::TacoImporter(db).import(dir.path());
        QCOMPARE(scalar(db, "SELECT VRFATORPROT FROM GRUPOALIM WHERE CDGRUPOALIM = 14").toDouble(), 0.65);
    }

    void filesThatAreNotTheTableChangeNothing_data()
    {
        QTest::addColumn<QString>("groups");
        QTest::addColumn<QString>("foods");
        QTest::addColumn<QString>("values");
        QTest::addColumn<QString>("message");
        QString noKcal = GoodValues;
        noKcal.replace("moisture,kcal,", "moisture,energy,");
        QTest::addRow("column missing") << GoodGroups << GoodFoods << noKcal << "no column \"kcal\"";
        QString trace = GoodValues;
        trace.replace(",124,", ",Tr,");
        QTest::addRow("text where a number goes")
            << GoodGroups << GoodFoods << trace << "line 2: \"Tr\" in column kcal";
        QTest::addRow("food of an unknown group")
            << GoodGroups << GoodFoods + "7,99,\"Aveia, flocos, crua\"\n"
            << GoodValues << "group 99";
        QString unknownFood = GoodValues;
        unknownFood.replace("\n561,", "\n562,");
        QTest::addRow("values of an unknown food") << GoodGroups << GoodFoods << unknownFood << "food 562";
        QTest::addRow("quote never closed") << GoodGroups << "id,categoryId,name\n1,1,\"Arroz, integral\n"
                                            << GoodValues << "never closed";
        QTest::addRow("short row") << GoodGroups << GoodFoods + "9,1\n" << GoodValues << "line 4: 2 fields";
        QTest::addRow("food twice") << GoodGroups << GoodFoods + "1,1,Arroz\n"
                                    << GoodValues << "appears twice";
        QTest::addRow("not an id") << GoodGroups << GoodFoods + "x,1,Arroz\n" << GoodValues << "is not an id";
        QTest::addRow("empty file") << GoodGroups << "" << GoodValues << "empty";
        // Amounts per 100 g are finite and not negative.
        for (const auto& [name, cell, message] :
             {std::tuple{"negative value", ",-2.6,", "line 2: -2.6 in column protein is negative"},
              std::tuple{"infinite value", ",inf,", "line 2: \"inf\" in column protein is not a number"},
              std::tuple{"not-a-number value", ",nan,",
                         "line 2: \"nan\" in column protein is not a number"}}) {
            QString values = GoodValues;
            values.replace(",2.6,", cell);
            QTest::addRow("%s", name) << GoodGroups << GoodFoods << values << message;
        }
        QTest::addRow("file missing") << GoodGroups << QString() << GoodValues << "Cannot read";
    }
    void filesThatAreNotTheTableChangeNothing()
    {
        QFETCH(QString, groups);
        QFETCH(QString, foods);
        QFETCH(QString, values);
        QFETCH(QString, message);
        KAV_REQUIRE_DATABASE(*m_databases[Engine::SQLite]);
        QSqlDatabase db = QSqlDatabase::database(connectionOf(Engine::SQLite), false);
        const QString before =
            scalar(db, "SELECT COUNT(*) || '/' || COALESCE(SUM(VRNUTRIENTE), 0) FROM COMPALIM").toString();
        const QString foodsBefore = scalar(db, "SELECT COUNT(*) FROM ALIMENTO").toString();
        QTemporaryDir dir;
        writeFile(dir.filePath("categories.csv"), groups);
        if (!foods.isNull())
            writeFile(dir.filePath("food.csv"), foods);
        writeFile(dir.filePath("nutrients.csv"), values);
        try {
            KavDb::TacoImporter(db).import(dir.path());
            QFAIL("imported");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
        QCOMPARE(
            scalar(db, "SELECT COUNT(*) || '/' || COALESCE(SUM(VRNUTRIENTE), 0) FROM COMPALIM").toString(),
            before);
        QCOMPARE(scalar(db, "SELECT COUNT(*) FROM ALIMENTO").toString(), foodsBefore);
    }

    // A food table saved as Latin-1 is refused at its first such line, unless read as Latin-1.
    void latin1TextIsReadOnlyWhenAsked()
    {
        KAV_REQUIRE_DATABASE(*m_databases[Engine::SQLite]);
        QSqlDatabase db = QSqlDatabase::database(connectionOf(Engine::SQLite), false);
        QTemporaryDir dir;
        writeFile(dir.filePath("categories.csv"), GoodGroups);
        writeFile(dir.filePath("nutrients.csv"), GoodValues);
        QFile foods(dir.filePath("food.csv"));
        QVERIFY(foods.open(QIODevice::WriteOnly));
        foods.write(
            QString("id,categoryId,name\n1,1,\"Arroz, integral, cozido\"\n561,14,\"Feijão, carioca\"\n")
                .toLatin1());
        foods.close();
        const QString foodsBefore = scalar(db, "SELECT COUNT(*) FROM ALIMENTO").toString();
        try {
            KavDb::TacoImporter(db).import(dir.path());
            QFAIL("a Latin-1 file was read as UTF-8");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains("food.csv, line 3: the text is not UTF-8"),
                     qPrintable(error.message()));
        }
        QCOMPARE(scalar(db, "SELECT COUNT(*) FROM ALIMENTO").toString(), foodsBefore);
        KavDb::TacoImporter(db).import(dir.path(), KavDb::TextEncoding::Latin1);
        QCOMPARE(scalar(db, "SELECT NMALIMENTO FROM ALIMENTO WHERE CDALIMENTO = 561").toString(),
                 QString("Feijão, carioca"));
    }
};

QTEST_MAIN(TstTacoImport)
#include "tst_tacoimport.moc"
