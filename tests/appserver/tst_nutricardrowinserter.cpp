// Prepared rows stored on each engine read back exactly as written, whatever their texts hold, at the
// edges of each type; a row the database refuses stores none of its batch and leaves the connection
// usable. On PostgreSQL the rows travel in COPY's binary format, on the others as bound statements.

#include "DatabaseConnection.h"
#include "DbTransaction.h"
#include "KavException.h"
#include "NutriCardRowInserter.h"
#include "PgBinaryCopy.h"
#include "SchemaInstaller.h"
#include "ScratchDatabase.h"

#include <limits>
#include <map>
#include <memory>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace KavServer;
using namespace KavServer::Zve41300;

using Engine = ScratchDatabase::Engine;
using Table = NutriCardRowInserter::Table;

namespace {

constexpr int kManyRows = 5000;

// A NUTRICARD row: key, line, day, week, week start, service (code, name, order), dish type (code,
// name), dish (code, owner, name), option, nutrient (code, name, unit), amount, incomplete, NDpCal%,
// its incomplete mark, days.
QVariantList reportRow(const QString& key, int line, const QVariant& day, const QString& name,
                       const QVariant& amount, const QVariant& days)
{
    return {key,    line, day, 1,     day,       "00001", name,   3,   "01",       "Prato",    "0000000001",
            "0010", name, "N", "001", "Energia", "kcal",  amount, "N", QVariant(), QVariant(), days};
}

// Texts that would end or break a quoted literal, an array element or a line of text data.
const QStringList kAwkwardTexts{"O'Brien",   R"(barra \ invertida)", R"(aspas "duplas")",
                                "tab\there", "linha\nquebrada",      "{chaves,vírgula}",
                                "NULL",      "Feijão à moda 🍲"};

} // namespace

class TestNutriCardRowInserter : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { m_scratch.clear(); }
    void rowsReadBackAsWritten_data() { addEngines(); }
    void rowsReadBackAsWritten();
    void manyRowsAreStoredOnceEach_data() { addEngines(); }
    void manyRowsAreStoredOnceEach();
    void aRefusedRowStoresNoneOfItsBatch_data() { addEngines(); }
    void aRefusedRowStoresNoneOfItsBatch();
    void valuesAColumnCannotHoldAreRefusedBeforeSending();

private:
    void addEngines();
    // The open database of the row's engine with the schema installed, or an invalid one after skipping.
    QSqlDatabase database(Engine engine);

    std::map<Engine, std::unique_ptr<ScratchDatabase>> m_scratch;
};

void TestNutriCardRowInserter::addEngines()
{
    QTest::addColumn<int>("engine");
    for (const Engine engine : ScratchDatabase::engines())
        QTest::addRow("%s", qPrintable(ScratchDatabase::engineName(engine))) << int(engine);
}

QSqlDatabase TestNutriCardRowInserter::database(Engine engine)
{
    const QString name = QStringLiteral("rows-") + ScratchDatabase::engineName(engine);
    auto& slot = m_scratch[engine];
    if (!slot) {
        slot = std::make_unique<ScratchDatabase>(engine, QStringLiteral("rowinserter"));
        if (slot->isAvailable())
            KavDb::SchemaInstaller(Kav::DatabaseConnection::open(
                                       slot->url(), name, Kav::DatabaseConnection::OpenMode::CreateIfMissing))
                .create(true);
    }
    return slot->isAvailable() ? QSqlDatabase::database(name) : QSqlDatabase();
}

#define OPEN_DATABASE(db)                                                                                    \
    QFETCH(int, engine);                                                                                     \
    const QSqlDatabase db = database(Engine(engine));                                                        \
    KAV_REQUIRE_DATABASE(*m_scratch.at(Engine(engine)))

namespace {

void insert(const QSqlDatabase& db, Table table, const QList<QVariantList>& rows)
{
    Kav::DbTransaction transaction(db, Kav::DbTransaction::Kind::Write);
    NutriCardRowInserter(db, table).insert(rows);
    transaction.commit();
}

QList<QVariantList> readBack(const QSqlDatabase& db, const QString& sql, const QString& key)
{
    QSqlQuery query(db);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    query.prepare(sql);
    query.addBindValue(key);
    if (!query.exec())
        throw Kav::Exception(QStringLiteral("cannot read back: ") + sql);
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i);
        rows << row;
    }
    return rows;
}

int rowCount(const QSqlDatabase& db, const QString& table, const QString& key)
{
    return int(
        readBack(db, QStringLiteral("SELECT NRLINHA FROM %1 WHERE NRSEQUNUTR = ?").arg(table), key).size());
}

} // namespace

void TestNutriCardRowInserter::rowsReadBackAsWritten()
{
    OPEN_DATABASE(db);
    const QString key = QStringLiteral("EDGES");
    const QList<std::pair<QVariant, QVariant>> amountsAndDays{{0.1, 0},
                                                              {-1234.5678, -1},
                                                              {1.0 / 3.0, std::numeric_limits<qint32>::max()},
                                                              {1e-300, std::numeric_limits<qint32>::min()},
                                                              {1.7976931348623157e308, QVariant()},
                                                              {QVariant(), 7}};
    const QList<QDate> days{QDate(1999, 12, 31), QDate(2000, 1, 1),   QDate(2026, 3, 2),
                            QDate(1899, 12, 31), QDate(2099, 12, 31), QDate(2000, 2, 29)};
    QList<QVariantList> rows;
    for (int i = 0; i < kAwkwardTexts.size(); ++i) {
        const auto& [amount, count] = amountsAndDays[i % amountsAndDays.size()];
        rows << reportRow(key, i + 1, days[i % days.size()], kAwkwardTexts[i], amount, count);
    }
    rows << reportRow(key, int(rows.size()) + 1, QVariant(), QString(), QVariant(), QVariant());
    insert(db, Table::ReportRows, rows);

    const QList<QVariantList> stored =
        readBack(db,
                 "SELECT NRLINHA, DTCARDAPIO, NMSERVICO, NMPRATO, VRNUTRIENTE, QTDIAS FROM NUTRICARD"
                 " WHERE NRSEQUNUTR = ? ORDER BY NRLINHA",
                 key);
    QCOMPARE(stored.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const QVariantList& written = rows[i];
        const QVariantList& read = stored[i];
        QCOMPARE(read[0].toInt(), written[1].toInt());
        QCOMPARE(read[1].isNull(), written[2].isNull());
        QCOMPARE(read[1].toDate(), written[2].toDate());
        QCOMPARE(read[2].toString(), written[6].toString());
        QCOMPARE(read[2].isNull(), written[6].toString().isNull()); // a null text is stored as NULL
        QCOMPARE(read[3].toString(), written[12].toString());
        QCOMPARE(read[4].isNull(), written[17].isNull());
        QVERIFY2(read[4].toDouble() == written[17].toDouble(), qPrintable(read[4].toString()));
        QCOMPARE(read[5].isNull(), written[21].isNull());
        QCOMPARE(read[5].toLongLong(), written[21].toLongLong());
    }
}

void TestNutriCardRowInserter::manyRowsAreStoredOnceEach()
{
    OPEN_DATABASE(db);
    const QString key = QStringLiteral("MANY");
    QList<QVariantList> notes;
    for (int line = 1; line <= kManyRows; ++line)
        notes << QVariantList{key, line, QStringLiteral("nota %1").arg(line),
                              line % 2 ? QVariant("*") : QVariant()};
    insert(db, Table::Notes, notes);
    const QList<QVariantList> stored =
        readBack(db, "SELECT NRLINHA, DSNOTA FROM NUTRICARDNOTA WHERE NRSEQUNUTR = ? ORDER BY NRLINHA", key);
    QCOMPARE(stored.size(), kManyRows);
    QCOMPARE(stored.first()[0].toInt(), 1);
    QCOMPARE(stored.last()[0].toInt(), kManyRows);
    QCOMPARE(stored.last()[1].toString(), QStringLiteral("nota %1").arg(kManyRows));
}

void TestNutriCardRowInserter::aRefusedRowStoresNoneOfItsBatch()
{
    OPEN_DATABASE(db);
    const QString key = QStringLiteral("REFUSED");
    // The third row takes the first one's line: the batch breaks the table's key.
    const QList<QVariantList> notes{
        {key, 1, "primeira", QVariant()}, {key, 2, "segunda", "01"}, {key, 1, "repetida", QVariant()}};
    QVERIFY_THROWS_EXCEPTION(Kav::Exception, insert(db, Table::Notes, notes));
    QCOMPARE(rowCount(db, "NUTRICARDNOTA", key), 0);
    // The connection took the failure in its stride: the next batch goes in.
    insert(db, Table::Notes, notes.mid(0, 2));
    QCOMPARE(rowCount(db, "NUTRICARDNOTA", key), 2);
}

void TestNutriCardRowInserter::valuesAColumnCannotHoldAreRefusedBeforeSending()
{
    using Type = PgBinaryCopy::Type;
    PgBinaryCopy copy({Type::Integer, Type::Date, Type::Double});
    QVERIFY_THROWS_EXCEPTION(Kav::Exception, copy.append({qint64(1) << 40, QDate(2026, 3, 2), 1.0}));
    QVERIFY_THROWS_EXCEPTION(Kav::Exception, copy.append({1, QStringLiteral("não é data"), 1.0}));
    QVERIFY_THROWS_EXCEPTION(Kav::Exception, copy.append({1, QDate(2026, 3, 2), QStringLiteral("x")}));
    QVERIFY_THROWS_EXCEPTION(Kav::Exception, copy.append({1, QDate(2026, 3, 2)}));
    // A refused row leaves nothing of itself behind.
    const QByteArray empty = PgBinaryCopy({Type::Integer, Type::Date, Type::Double}).data();
    QCOMPARE(copy.data(), empty);
    copy.append({1, QDate(2026, 3, 2), 1.0});
    // One row: its field count, then a length and the value of each field (4 + 4 + 8 bytes).
    QCOMPARE(copy.data().size() - empty.size(), 2 + 3 * 4 + 4 + 4 + 8);
}

QTEST_GUILESS_MAIN(TestNutriCardRowInserter)
#include "tst_nutricardrowinserter.moc"
