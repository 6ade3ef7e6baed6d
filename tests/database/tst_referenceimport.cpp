// Importing reference sets and complement values on every engine: the shipped files load whole,
// a second import replaces instead of adding, a complement never covers a value the food table
// has nor is lost when the table is imported again, and a bad file changes nothing.

#include "ComplementImporter.h"
#include "DatabaseConnection.h"
#include "KavException.h"
#include "NutritionReferenceImporter.h"
#include "ReferenceData.h"
#include "SchemaInstaller.h"
#include "ScratchDatabase.h"
#include "TacoImporter.h"

#include <map>
#include <memory>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using Engine = ScratchDatabase::Engine;
Q_DECLARE_METATYPE(Engine)

namespace {

const QString kShippedLimits = QStringLiteral(KAV_SOURCE_DIR "/database/data/pnae/limites-2013.csv");
const QString kDemoReferences = QStringLiteral(":/kavdb/demo/referencias-exemplo.csv");
const QString kDemoComplement = QStringLiteral(":/kavdb/demo/complemento.csv");
constexpr int kSalt = 517;
const QString kHeader =
    "set,setName,setSource,ageBand,ageBandName,coverage,nutrient,base,minimum,maximum,source\n";

QVariant scalar(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        return QStringLiteral("no row");
    return query.value(0);
}

QString writeBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QString& text)
{
    return writeBytes(dir, name, text.toUtf8());
}

const QString kComplementHeader = QStringLiteral("foodId,nutrient,value,source\n");

} // namespace

class TstReferenceImport : public QObject
{
    Q_OBJECT

    std::map<Engine, std::unique_ptr<ScratchDatabase>> m_databases;

    static QString connectionOf(Engine engine) { return "references-" + ScratchDatabase::engineName(engine); }

private slots:
    void initTestCase()
    {
        for (Engine engine : ScratchDatabase::engines()) {
            auto database = std::make_unique<ScratchDatabase>(engine, QStringLiteral("references"));
            if (database->isAvailable()) {
                QSqlDatabase db =
                    Kav::DatabaseConnection::open(database->url(), connectionOf(engine),
                                                  Kav::DatabaseConnection::OpenMode::CreateIfMissing);
                KavDb::SchemaInstaller(db).create(false);
                KavDb::TacoImporter(db).import(KavDb::demoFoodsDir());
            }
            m_databases[engine] = std::move(database);
        }
    }
    void cleanupTestCase()
    {
        for (Engine engine : ScratchDatabase::engines())
            Kav::DatabaseConnection::close(connectionOf(engine));
        m_databases.clear();
    }

    void shippedFilesLoadOnEveryEngine_data()
    {
        QTest::addColumn<Engine>("engine");
        for (Engine engine : ScratchDatabase::engines())
            QTest::addRow("%s", qPrintable(ScratchDatabase::engineName(engine))) << engine;
    }
    void shippedFilesLoadOnEveryEngine()
    {
        QFETCH(Engine, engine);
        KAV_REQUIRE_DATABASE(*m_databases[engine]);
        QSqlDatabase db = QSqlDatabase::database(connectionOf(engine), false);
        for (int round = 0; round < 2; ++round) { // a second import replaces the sets
            const KavDb::ReferenceImportCounts limits =
                KavDb::NutritionReferenceImporter(db).import(kShippedLimits);
            QCOMPARE(limits.sets, 1);
            QCOMPARE(limits.values, 4);
            KavDb::NutritionReferenceImporter(db).import(kDemoReferences);
            QCOMPARE(scalar(db, "SELECT COUNT(*) FROM CONJREF").toInt(), 2);
            QCOMPARE(scalar(db, "SELECT COUNT(*) FROM VALORREF").toInt(), 4 + 12);
        }
        // Sodium for full time, by its food-table column; fat as a share of the energy.
        QCOMPARE(scalar(db,
                        "SELECT VRMAXIMO FROM VALORREF WHERE CDCONJREF = 'PNAE2013' AND CDNUTRIENTE = '008'"
                        " AND PCCOBERTURA = 70")
                     .toDouble(),
                 1400.0);
        QSqlQuery fat(db);
        QVERIFY(fat.exec("SELECT IDBASE, VRMINIMO, VRMAXIMO, CDFAIXAETAR, PCCOBERTURA FROM VALORREF"
                         " WHERE CDCONJREF = 'PNAE2013' AND CDNUTRIENTE = '003'"));
        QVERIFY(fat.next());
        QCOMPARE(fat.value(0).toString(), QString("E"));
        QCOMPARE(fat.value(1).toDouble(), 15.0);
        QCOMPARE(fat.value(2).toDouble(), 30.0);
        QVERIFY(fat.value(3).isNull());
        QVERIFY(fat.value(4).isNull());
        QCOMPARE(scalar(db, "SELECT NMCONJREF FROM CONJREF WHERE CDCONJREF = 'EXEMPLO'").toString(),
                 QString("Exemplo (não oficial)"));
        QCOMPARE(scalar(db, "SELECT NMFAIXAETAR FROM FAIXAETARIA WHERE CDFAIXAETAR = '6-10'").toString(),
                 QString("6 a 10 anos"));

        // The complement fills the salt's energy; a row for a value the table has is left out.
        QTemporaryDir dir;
        const QString extra = writeFile(
            dir, "extra.csv", "foodId,nutrient,value,source\n517,sodium,1,\"não vale\"\n517,001,0,outra\n");
        const KavDb::ComplementImportCounts demo = KavDb::ComplementImporter(db).import(kDemoComplement);
        QCOMPARE(demo.tableHasValue, 0);
        const KavDb::ComplementImportCounts counts = KavDb::ComplementImporter(db).import(extra);
        QCOMPARE(counts.stored, 1);
        QCOMPARE(counts.tableHasValue, 1);
        QCOMPARE(
            scalar(db, "SELECT COUNT(*) FROM COMPALIMCOMPL WHERE CDALIMENTO = 517 AND CDNUTRIENTE = '008'")
                .toInt(),
            0);
        QCOMPARE(
            scalar(db, "SELECT DSFONTE FROM COMPALIMCOMPL WHERE CDALIMENTO = 517 AND CDNUTRIENTE = '001'")
                .toString(),
            QString("outra"));
        // A new import of the food table leaves the complement as it was.
        const int complements = scalar(db, "SELECT COUNT(*) FROM COMPALIMCOMPL").toInt();
        QCOMPARE(complements, demo.stored);
        KavDb::TacoImporter(db).import(KavDb::demoFoodsDir());
        QCOMPARE(scalar(db, "SELECT COUNT(*) FROM COMPALIMCOMPL").toInt(), complements);
        QVERIFY(
            scalar(db,
                   QString("SELECT VRNUTRIENTE FROM COMPALIM WHERE CDALIMENTO = %1 AND CDNUTRIENTE = '001'")
                       .arg(kSalt))
                .isNull());
    }

    void badFilesChangeNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        const QString row = "T,Teste,Fonte,,,%1,%2,%3,%4,%5,\n";
        QTest::addRow("unknown nutrient")
            << kHeader + row.arg("", "sugar", "E", "", "10") << "line 2: \"sugar\"";
        QTest::addRow("unknown base") << kHeader + row.arg("", "sodium", "X", "", "400") << "base must be Q";
        QTest::addRow("minimum above maximum")
            << kHeader + row.arg("", "lipids", "E", "30", "15") << "minimum not above";
        QTest::addRow("no bound") << kHeader + row.arg("", "sodium", "Q", "", "") << "needs a minimum";
        QTest::addRow("coverage over the whole")
            << kHeader + row.arg("120", "sodium", "Q", "", "1") << "coverage";
        QTest::addRow("no set name") << kHeader + "T,,Fonte,,,,sodium,Q,,1,\n"
                                     << "column setName is empty";
        QTest::addRow("not-a-number bound") << kHeader + row.arg("", "sodium", "Q", "", "nan") << "\"nan\"";
        QTest::addRow("infinite bound") << kHeader + row.arg("", "sodium", "Q", "", "inf") << "\"inf\"";
        QTest::addRow("negative bound")
            << kHeader + row.arg("", "sodium", "Q", "-1", "") << "not be negative";
        QTest::addRow("fibre minimum above its maximum")
            << kHeader + row.arg("", "dietaryFiber", "Q", "18", "17") << "minimum not above";
        QTest::addRow("sodium as a share of energy") << kHeader + row.arg("", "sodium", "E", "", "10")
                                                     << "line 2: base E (percent of energy) fits only";
        QTest::addRow("energy as a share of itself")
            << kHeader + row.arg("", "kcal", "E", "", "10") << "nutrient 001 is in kcal";
        QTest::addRow("bound given twice, in two rows")
            << kHeader + row.arg("", "dietaryFiber", "Q", "18", "") +
                   row.arg("", "dietaryFiber", "Q", "", "17")
            << "line 3: a bound of nutrient 005 for this set, age band, coverage and base is already on line "
               "2";
        QTest::addRow("second row wrong")
            << kHeader + row.arg("", "sodium", "Q", "", "400") + row.arg("", "sodium", "Q", "abc", "")
            << "line 3: \"abc\"";
    }
    void badFilesChangeNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        KAV_REQUIRE_DATABASE(*m_databases[Engine::SQLite]);
        QSqlDatabase db = QSqlDatabase::database(connectionOf(Engine::SQLite), false);
        QTemporaryDir dir;
        const int before = scalar(db, "SELECT COUNT(*) FROM VALORREF").toInt();
        try {
            KavDb::NutritionReferenceImporter(db).import(writeFile(dir, "bad.csv", file));
            QFAIL("the file was accepted");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains(expected), qPrintable(error.message()));
        }
        QCOMPARE(scalar(db, "SELECT COUNT(*) FROM VALORREF").toInt(), before);
        QCOMPARE(scalar(db, "SELECT COUNT(*) FROM CONJREF WHERE CDCONJREF = 'T'").toInt(), 0);
    }

    void badComplementsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        const QString good = "517,kcal,0,a\n";
        QTest::addRow("negative value") << (kComplementHeader + good + "517,iron,-0.1,b\n").toUtf8()
                                        << "line 3: -0.1 in column value is negative";
        QTest::addRow("infinite value") << (kComplementHeader + good + "517,iron,inf,b\n").toUtf8()
                                        << "line 3: \"inf\" in column value is not a number";
        QTest::addRow("not-a-number value")
            << (kComplementHeader + good + "517,iron,NaN,b\n").toUtf8() << "line 3: \"NaN\"";
        QTest::addRow("conflicting duplicate")
            << (kComplementHeader + good + "517,001,5,b\n").toUtf8()
            << "line 3: a value of nutrient 001 for food 517 is already on line 2";
        QTest::addRow("same row twice") << (kComplementHeader + good + good).toUtf8() << "already on line 2";
        QTest::addRow("Latin-1 source") << (kComplementHeader + good + "517,iron,0,\"Açúcar\"\n").toLatin1()
                                        << "line 3: the text is not UTF-8";
        QTest::addRow("unknown food") << (kComplementHeader + good + "99999,kcal,0,b\n").toUtf8()
                                      << "line 3: food 99999 is not in the food table";
    }
    void badComplementsChangeNothing()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        KAV_REQUIRE_DATABASE(*m_databases[Engine::SQLite]);
        QSqlDatabase db = QSqlDatabase::database(connectionOf(Engine::SQLite), false);
        QTemporaryDir dir;
        const QString before = scalar(db, "SELECT COUNT(*) || '/' || COALESCE(SUM(VRNUTRIENTE), 0)"
                                          " FROM COMPALIMCOMPL")
                                   .toString();
        try {
            KavDb::ComplementImporter(db).import(writeBytes(dir, "c.csv", file));
            QFAIL("the file was accepted");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains(expected), qPrintable(error.message()));
        }
        QCOMPARE(scalar(db, "SELECT COUNT(*) || '/' || COALESCE(SUM(VRNUTRIENTE), 0) FROM COMPALIMCOMPL")
                     .toString(),
                 before);
    }

    // Counts say what was stored, row for row; a Latin-1 file is read as such only when asked.
    void complementCountsAreExactAndLatin1IsReadWhenAsked()
    {
        KAV_REQUIRE_DATABASE(*m_databases[Engine::SQLite]);
        QSqlDatabase db = QSqlDatabase::database(connectionOf(Engine::SQLite), false);
        QTemporaryDir dir;
        const QString path =
            writeBytes(dir, "latin1.csv",
                       (kComplementHeader +
                        "517,kcal,0,\"Açúcar: não se aplica\"\n517,magnesium,0,\"Sal: não se aplica\"\n"
                        "517,sodium,1,\"a tabela tem\"\n")
                           .toLatin1());
        const KavDb::ComplementImportCounts counts =
            KavDb::ComplementImporter(db).import(path, KavDb::TextEncoding::Latin1);
        QCOMPARE(counts.stored, 2);
        QCOMPARE(counts.tableHasValue, 1);
        QCOMPARE(
            scalar(db, "SELECT DSFONTE FROM COMPALIMCOMPL WHERE CDALIMENTO = 517 AND CDNUTRIENTE = '001'")
                .toString(),
            QString("Açúcar: não se aplica"));
    }

    void complementOfAnUnknownFoodIsRefused()
    {
        KAV_REQUIRE_DATABASE(*m_databases[Engine::SQLite]);
        QSqlDatabase db = QSqlDatabase::database(connectionOf(Engine::SQLite), false);
        QTemporaryDir dir;
        const int before = scalar(db, "SELECT COUNT(*) FROM COMPALIMCOMPL").toInt();
        const QString path =
            writeFile(dir, "c.csv", "foodId,nutrient,value,source\n517,kcal,0,a\n99999,kcal,0,b\n");
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, KavDb::ComplementImporter(db).import(path));
        QCOMPARE(scalar(db, "SELECT COUNT(*) FROM COMPALIMCOMPL").toInt(), before);
    }
};

QTEST_GUILESS_MAIN(TstReferenceImport)
#include "tst_referenceimport.moc"
