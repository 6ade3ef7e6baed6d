#include "dtmDBGeral.h"
#include "Kavenso.h"
#include "KavException.h"
#include "TDBPicture.h"
#include "TestClientContext.h"

#include <optional>
#include <QtTest>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {
// Runs `statements` (separated by ";" at line ends) on a new SQLite file.
void createDatabase(const QString& path, const QString& script)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (const QString& statement : script.split(QStringLiteral(";\n"), Qt::SkipEmptyParts)) {
            if (statement.trimmed().isEmpty())
                continue;
            QVERIFY2(query.exec(statement), qPrintable(query.lastError().text() + statement));
        }
    }
    QSqlDatabase::removeDatabase("fixture");
}

QString readFixture()
{
    QFile file(KAV_TEST_DIR "/fixtures/branches.sql");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void execute(const QString& statement)
{
    QSqlQuery query(dtmDBGeral::database());
    QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
}
} // namespace

class TstKavenso : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_first;
    QString m_second;
    // Each test's own session and local cache.
    std::optional<TestClientContext> m_context;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString fixture = readFixture();
        QVERIFY(!fixture.isEmpty());
        m_first = m_dir.filePath("first.db");
        m_second = m_dir.filePath("second.db");
        createDatabase(m_first, fixture);
        createDatabase(m_second, fixture);
    }

    void init()
    {
        m_context.emplace();
        dtmDBGeral::open("sqlite://" + m_first);
        Kavenso::AtualizaLocalCache({"FILIAL", "PICTURE"});
    }
    void cleanup() { m_context.reset(); }

    void sessionIsWhatTheHostSet()
    {
        Kavenso::SetSession({"0003", "servidor", 4130, "/rel", "/rel/usuario"});
        QCOMPARE(m_context->context().session().filial, QString("0003"));
        QCOMPARE(Kavenso::FiliProc(), QString("0003"));
        QCOMPARE(Kavenso::WebURL(), QString("servidor"));
        QCOMPARE(Kavenso::WebPort(), 4130);
        QCOMPARE(Kavenso::CurrentSession().userReportsDir, QString("/rel/usuario"));
    }

    void moduFiliAnswers_data()
    {
        QTest::addColumn<QString>("filial");
        QTest::addColumn<bool>("checkLicence");
        QTest::addColumn<QString>("expected");
        QTest::addRow("head office") << "0001" << true << "M";
        QTest::addRow("head office needs no licence") << "0002" << true << "M";
        QTest::addRow("licensed branch") << "0003" << true << "F";
        QTest::addRow("unlicensed branch")
            << "0004" << true << "FL003Filial 0004 não licenciada para o módulo de alimentação escolar.";
        QTest::addRow("unlicensed, licence not asked") << "0004" << false << "F";
        QTest::addRow("rescinded head office")
            << "0005" << true << "FL002Filial 0005 com contrato rescindido.";
        QTest::addRow("lower-case flags are not yes")
            << "0006" << true << "FL003Filial 0006 não licenciada para o módulo de alimentação escolar.";
        QTest::addRow("unknown branch") << "0099" << true << "FL001Filial 0099 não cadastrada.";
        QTest::addRow("typed code normalised") << "3" << true << "F";
        QTest::addRow("letter code") << "AB" << true << "F";
        QTest::addRow("empty code") << "" << true << "FL001Filial  não cadastrada.";
    }
    void moduFiliAnswers()
    {
        QFETCH(QString, filial);
        QFETCH(bool, checkLicence);
        QFETCH(QString, expected);
        QCOMPARE(Kavenso::ModuFili(filial, checkLicence), expected);
    }

    void cacheChangesOnlyWhenRefreshed()
    {
        QCOMPARE(Kavenso::ModuFili("0004", true).left(5), QString("FL003"));
        execute("UPDATE FILIAL SET IDMODZVE = 'S' WHERE CDFILIAL = '0004'");
        QCOMPARE(Kavenso::ModuFili("0004", true).left(5), QString("FL003"));
        Kavenso::AtualizaLocalCache({"FILIAL"});
        QCOMPARE(Kavenso::ModuFili("0004", true), QString("F"));
        execute("UPDATE FILIAL SET IDMODZVE = 'N' WHERE CDFILIAL = '0004'");
    }

    void cacheFollowsAnotherDatabase()
    {
        dtmDBGeral::open("sqlite://" + m_second);
        QSqlQuery query(dtmDBGeral::database());
        QVERIFY(query.exec("DELETE FROM FILIAL WHERE CDFILIAL = '0003'"));
        QCOMPARE(Kavenso::ModuFili("0003", true), QString("FL001Filial 0003 não cadastrada."));
        dtmDBGeral::open("sqlite://" + m_first);
        QCOMPARE(Kavenso::ModuFili("0003", true), QString("F"));
    }

    // A context made inside another (a test inside a running host) reads its own database; the
    // outer one goes on reading its own once it ends.
    void nestedContextReadsItsOwnDatabase()
    {
        {
            TestClientContext inner;
            dtmDBGeral::open("sqlite://" + m_second);
            execute("DELETE FROM FILIAL WHERE CDFILIAL = '0003'");
            QCOMPARE(Kavenso::ModuFili("0003", true), QString("FL001Filial 0003 não cadastrada."));
        }
        QCOMPARE(Kavenso::ModuFili("0003", true), QString("F"));
        Kavenso::AtualizaLocalCache({"FILIAL"});
        QCOMPARE(Kavenso::ModuFili("0003", true), QString("F"));
    }

    void unknownTableIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, Kavenso::AtualizaLocalCache({"FILIAL", "TIPOCARD"}));
    }

    void failedRefreshKeepsTheEarlierCopy()
    {
        execute("ALTER TABLE FILIAL RENAME TO FILIAL_OLD");
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, Kavenso::AtualizaLocalCache({"FILIAL"}));
        QCOMPARE(Kavenso::ModuFili("0001", true), QString("M"));
        execute("ALTER TABLE FILIAL_OLD RENAME TO FILIAL");
    }

    void dishPictureGivesMaskAndLevels()
    {
        QCOMPARE(Kavenso::DBPict(Kavenso::kPictPrato), QString("99.99.999999;0;_"));
        TDBPicture* picture = Kavenso::DBPictObj(Kavenso::kPictPrato);
        QCOMPARE(picture->GetTtNiveis(), 3);
        // The object a screen keeps sees the refreshed values.
        execute("UPDATE PICTURE SET NRNIVEIS = 4, DSMASCARA = '99.99.99.9999;0;_' WHERE CDPICTURE = 1");
        Kavenso::AtualizaLocalCache({"PICTURE"});
        QCOMPARE(Kavenso::DBPictObj(Kavenso::kPictPrato), picture);
        QCOMPARE(picture->GetTtNiveis(), 4);
        QCOMPARE(Kavenso::DBPict(Kavenso::kPictPrato), QString("99.99.99.9999;0;_"));
        execute("UPDATE PICTURE SET NRNIVEIS = 3, DSMASCARA = '99.99.999999;0;_' WHERE CDPICTURE = 1");
    }

    void missingPictureIsAnError()
    {
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, Kavenso::DBPict(2));
        execute("DELETE FROM PICTURE");
        Kavenso::AtualizaLocalCache({"PICTURE"});
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, Kavenso::DBPictObj(Kavenso::kPictPrato));
        execute("INSERT INTO PICTURE VALUES (1, '99.99.999999;0;_', 3)");
    }
};

QTEST_MAIN(TstKavenso)
#include "tst_kavenso.moc"
