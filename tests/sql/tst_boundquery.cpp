// Statements with bound values on each engine: every value reads back as it was bound, whatever its
// text holds, through named, repeated and positional placeholders. On PostgreSQL the values travel as the
// driver's own escaped literals in the statement's text, so the placeholders must be found exactly where the
// driver would find them.

#include "BoundQuery.h"
#include "DatabaseConnection.h"
#include "KavException.h"
#include "ScratchDatabase.h"
#include "SqlPlaceholders.h"

#include <map>
#include <memory>
#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using Engine = ScratchDatabase::Engine;

namespace {

const QString kTable = QStringLiteral("VALOR_TESTE");

} // namespace

class TstBoundQuery : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { m_databases.clear(); }
    void valuesReadBackAsBound_data();
    void valuesReadBackAsBound();
    void anUnboundPlaceholderIsAnErrorOnPostgreSql();
    void placeholdersAreReplacedOutsideQuotesCommentsAndCasts_data();
    void placeholdersAreReplacedOutsideQuotesCommentsAndCasts();
    void aCommentWithAnApostropheHidesNoMarker_data() { addEngines(); }
    void aCommentWithAnApostropheHidesNoMarker();

private:
    void addEngines();
    QSqlDatabase database(Engine engine);

    std::map<Engine, std::unique_ptr<ScratchDatabase>> m_databases;
    int m_lastId = 0;
};

void TstBoundQuery::addEngines()
{
    QTest::addColumn<int>("engine");
    for (const Engine engine : ScratchDatabase::engines())
        QTest::addRow("%s", qPrintable(ScratchDatabase::engineName(engine))) << int(engine);
}

QSqlDatabase TstBoundQuery::database(Engine engine)
{
    const QString name = QStringLiteral("boundquery-") + ScratchDatabase::engineName(engine);
    auto& slot = m_databases[engine];
    if (!slot) {
        slot = std::make_unique<ScratchDatabase>(engine, QStringLiteral("boundquery"));
        if (slot->isAvailable()) {
            QSqlDatabase db = Kav::DatabaseConnection::open(
                slot->url(), name, Kav::DatabaseConnection::OpenMode::CreateIfMissing);
            QSqlQuery create(db);
            if (!create.exec(QStringLiteral("CREATE TABLE %1 (ID INTEGER NOT NULL PRIMARY KEY,"
                                            " TEXTO VARCHAR(200), DIA DATE, VALOR DOUBLE PRECISION)")
                                 .arg(kTable)))
                throw Kav::Exception(QStringLiteral("cannot create the test table"));
        }
    }
    return slot->isAvailable() ? QSqlDatabase::database(name) : QSqlDatabase();
}

void TstBoundQuery::valuesReadBackAsBound_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("amount");
    const QList<std::pair<const char*, QString>> texts{
        {"quote and SQL", QStringLiteral("0010' OR '1'='1")},
        {"backslash before a quote", QStringLiteral("barra \\' e aspas \"")},
        {"placeholders inside", QStringLiteral(":ID ? :TEXTO -- não é comentário")},
        {"accents and a cast", QStringLiteral("Feijão::TEXT")},
        {"empty", QStringLiteral("")}};
    int id = 0;
    for (const Engine engine : ScratchDatabase::engines())
        for (const auto& [name, text] : texts)
            QTest::addRow("%s: %s", qPrintable(ScratchDatabase::engineName(engine)), name)
                << int(engine) << text << (++id / 3.0);
}

void TstBoundQuery::valuesReadBackAsBound()
{
    QFETCH(int, engine);
    QFETCH(QString, text);
    QFETCH(double, amount);
    const QSqlDatabase db = database(Engine(engine));
    KAV_REQUIRE_DATABASE(*m_databases.at(Engine(engine)));
    const int id = ++m_lastId;
    const QDate day(1999, 12, 31);

    Kav::BoundQuery insert(
        db, QStringLiteral("INSERT INTO %1 (ID, TEXTO, DIA, VALOR) VALUES (?, ?, ?, ?)").arg(kTable),
        QStringLiteral("insert"));
    insert.bind(0, id);
    insert.bind(1, text);
    insert.bind(2, day);
    insert.bind(3, amount);
    insert.exec();
    QCOMPARE(insert.rowsAffected(), 1);

    // A name used twice, the text matched against itself, a NULL that matches nothing.
    Kav::BoundQuery select(db,
                           QStringLiteral("SELECT TEXTO, DIA, VALOR FROM %1 WHERE ID = :ID AND TEXTO = :TEXTO"
                                          " AND (TEXTO = :TEXTO OR ID = :NOTHING)")
                               .arg(kTable),
                           QStringLiteral("read back"));
    select.bind(QStringLiteral(":ID"), id);
    select.bind(QStringLiteral(":TEXTO"), text);
    select.bind(QStringLiteral(":NOTHING"), QVariant());
    select.exec();
    QVERIFY(select.next());
    QCOMPARE(select.value(0).toString(), text);
    QCOMPARE(select.value(1).toDate(), day);
    QCOMPARE(select.value(2).toDouble(), amount);
    QVERIFY(!select.next());
}

// As the server refused an EXECUTE short of a value; Qt's other drivers bind NULL instead.
void TstBoundQuery::anUnboundPlaceholderIsAnErrorOnPostgreSql()
{
    const QSqlDatabase db = database(Engine::PostgreSQL);
    KAV_REQUIRE_DATABASE(*m_databases.at(Engine::PostgreSQL));
    Kav::BoundQuery query(db,
                          QStringLiteral("SELECT ID FROM %1 WHERE ID = :ID AND TEXTO = :TEXTO").arg(kTable),
                          QStringLiteral("read"));
    query.bind(QStringLiteral(":ID"), 1);
    QVERIFY_THROWS_EXCEPTION(Kav::Exception, query.exec());
}

void TstBoundQuery::placeholdersAreReplacedOutsideQuotesCommentsAndCasts_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("replaced");
    QTest::addColumn<QStringList>("names");
    QTest::addRow("quotes, comment, cast")
        << "SELECT ':A', \"?\", X::TEXT, :A, ? -- :B ?\n, :B, ?"
        << "SELECT ':A', \"?\", X::TEXT, <A>, <0> -- :B ?\n, <B>, <1>" << QStringList{"A", "B"};
    QTest::addRow("apostrophe in a line comment")
        << "SELECT 1 -- the week's mean\nWHERE A = :A -- :C's\nAND B = ?"
        << "SELECT 1 -- the week's mean\nWHERE A = <A> -- :C's\nAND B = <0>" << QStringList{"A"};
    QTest::addRow("apostrophe in a block comment")
        << "SELECT /* it's :C */ :A, /* ? */ ?"
        << "SELECT /* it's :C */ <A>, /* ? */ <0>" << QStringList{"A"};
    QTest::addRow("doubled quote") << "SELECT 'it''s :C ?', :A"
                                   << "SELECT 'it''s :C ?', <A>" << QStringList{"A"};
    QTest::addRow("dollar quoted") << "SELECT $$it's :C ?$$, $f$ :C $$ ? $f$, :A"
                                   << "SELECT $$it's :C ?$$, $f$ :C $$ ? $f$, <A>" << QStringList{"A"};
    QTest::addRow("dollar in a name, numbered parameter") << "SELECT A$B, $1, :A"
                                                          << "SELECT A$B, $1, <A>" << QStringList{"A"};
    QTest::addRow("unclosed comment") << "SELECT :A /* :B"
                                      << "SELECT <A> /* :B" << QStringList{"A"};
}

void TstBoundQuery::placeholdersAreReplacedOutsideQuotesCommentsAndCasts()
{
    QFETCH(QString, statement);
    QFETCH(QString, replaced);
    QFETCH(QStringList, names);
    QCOMPARE(Kav::replaceSqlPlaceholders(statement,
                                         [](const QString& name, int position) {
                                             return name.isEmpty() ? QStringLiteral("<%1>").arg(position)
                                                                   : QStringLiteral("<%1>").arg(name);
                                         }),
             replaced);
    QCOMPARE(Kav::sqlPlaceholders(statement), names);
}

// A statement prepared with "?" markers, as the report engine prepares its queries: Qt's PostgreSQL
// driver numbers the markers itself and takes an apostrophe in a comment for an open text, so the
// comments go first; the markers after the comment still receive their values.
void TstBoundQuery::aCommentWithAnApostropheHidesNoMarker()
{
    QFETCH(int, engine);
    const QSqlDatabase db = database(Engine(engine));
    KAV_REQUIRE_DATABASE(*m_databases.at(Engine(engine)));
    const QString statement =
        QStringLiteral("SELECT COUNT(*) FROM %1 -- the week's rows\nWHERE ID = ? OR ID = ? /* it's */")
            .arg(kTable);
    QSqlQuery query(db);
    QVERIFY2(query.prepare(Kav::withoutSqlComments(statement)), qPrintable(query.lastError().text()));
    query.addBindValue(-1);
    query.addBindValue(-2);
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 0);
}

QTEST_GUILESS_MAIN(TstBoundQuery)
#include "tst_boundquery.moc"
