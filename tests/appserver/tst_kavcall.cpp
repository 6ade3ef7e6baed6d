// kavserver and kavcall as real processes: an operator's calls from a shell, the log, the exit
// statuses, and a clean stop on SIGTERM.

#include "DatabaseConnection.h"
#include "MenuFixture.h"

#include <csignal>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace MenuFixture;

namespace {

constexpr int kProcessTimeoutMs = 30000;
const QString kBinDir = QStringLiteral(KAV_BINARY_DIR "/bin/");

struct Run
{
    int status = -1;
    QJsonObject answer;
    QString err;
};

} // namespace

class TestKavcall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void getServicoPrintsThePacket();
    void byReferenceValuesArePrinted();
    void failuresExitWithTheirStatus_data();
    void failuresExitWithTheirStatus();
    void serverRefusesABadStart_data();
    void serverRefusesABadStart();
    void sigtermStopsTheServerCleanlyWithOneLogLinePerCall();

private:
    Run kavcall(const QStringList& arguments);

    QTemporaryDir m_dir;
    QString m_url;
    QProcess m_server;
    quint16 m_port = 0;
};

void TestKavcall::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_url = "sqlite://" + m_dir.filePath("kavcall.db");
    install(
        Kav::DatabaseConnection::open(m_url, "fixture", Kav::DatabaseConnection::OpenMode::CreateIfMissing));
    Kav::DatabaseConnection::close("fixture");
    m_server.start(kBinDir + "kavserver", {"--port", "0", "--database", m_url});
    QVERIFY(m_server.waitForStarted());
    // The first line of the log names the port taken.
    m_server.setReadChannel(QProcess::StandardError);
    QVERIFY(QTest::qWaitFor([&] { return m_server.canReadLine() || m_server.state() != QProcess::Running; },
                            kProcessTimeoutMs));
    const QString line = QString::fromUtf8(m_server.readLine());
    const QRegularExpressionMatch match =
        QRegularExpression("listening on 127\\.0\\.0\\.1:(\\d+)").match(line);
    QVERIFY2(match.hasMatch(), qPrintable(line));
    m_port = quint16(match.captured(1).toUInt());
}

void TestKavcall::cleanupTestCase()
{
    if (m_server.state() == QProcess::Running) {
        m_server.kill();
        m_server.waitForFinished();
    }
}

Run TestKavcall::kavcall(const QStringList& arguments)
{
    QProcess process;
    process.start(kBinDir + "kavcall",
                  QStringList{"--server", QStringLiteral("127.0.0.1:%1").arg(m_port)} + arguments);
    Run run;
    if (!process.waitForFinished(kProcessTimeoutMs))
        return run;
    run.status = process.exitCode();
    run.answer = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void TestKavcall::getServicoPrintsThePacket()
{
    const Run run = kavcall({"Zve41300.rdmNutriCard", "GetServico", "text:0010", "1"});
    QCOMPARE(run.status, 0);
    const QJsonArray rows = run.answer["value"].toObject()["packet"].toObject()["rows"].toArray();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].toArray()[4].toString(), QString("Almoço"));
}

void TestKavcall::byReferenceValuesArePrinted()
{
    const Run prepared =
        kavcall({"Zve41300.rdmNutriCard", "CriaNutriCard", kCentral, "ref:10", "ref:2_1", "ref:1",
                 "date:2026-03-02", "date:2026-03-13", "bool:false", "bool:false", "bool:true", "1", "DL"});
    QCOMPARE(prepared.status, 0);
    const QJsonArray value = prepared.answer["value"].toArray();
    QCOMPARE(value.size(), 2);
    QCOMPARE(value[1].toString(), QString("_001_002"));
    const QJsonObject refs = prepared.answer["refs"].toObject();
    QCOMPARE(refs["1"].toString(), kCentral);
    QCOMPARE(refs["2"].toString(), QString("002_001"));
    QCOMPARE(refs["3"].toString(), kLunch);

    const QString key = value[0].toString();
    const Run deleted = kavcall({"Zve41300.rdmNutriCard", "DelNutriCard", "ref:text:" + key});
    QCOMPARE(deleted.status, 0);
    QCOMPARE(deleted.answer["value"].toString(), QString(""));
    QCOMPARE(deleted.answer["refs"].toObject()["0"].toString(), key);
}

void TestKavcall::failuresExitWithTheirStatus_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::addRow("unknown method") << QStringList{"Zve41300.rdmNutriCard", "Nada"} << 1 << "error -32601";
    QTest::addRow("wrong argument count")
        << QStringList{"Zve41300.rdmNutriCard", "GetServico", "0010"} << 1 << "error -32602";
    QTest::addRow("invalid date") << QStringList{"Zve41300.rdmNutriCard", "GetServico", "date:2026-02-31",
                                                 "1"}
                                  << 2 << "not a date";
    QTest::addRow("invalid boolean") << QStringList{"Zve41300.rdmNutriCard", "GetServico", "bool:yes", "1"}
                                     << 2 << "true or false";
    QTest::addRow("no method") << QStringList{"Zve41300.rdmNutriCard"} << 2 << "OBJECT";
    QTest::addRow("server not there")
        << QStringList{"--server", "127.0.0.1:1", "Zve41300.rdmNutriCard", "GetServico", "0010", "1"} << 1
        << "127.0.0.1:1";
}

void TestKavcall::failuresExitWithTheirStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    const Run run = kavcall(arguments);
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

void TestKavcall::serverRefusesABadStart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::addRow("port out of range") << QStringList{"--port", "70000"} << "--port";
    QTest::addRow("listen address") << QStringList{"--listen", "nowhere"} << "--listen";
    QTest::addRow("missing database file")
        << QStringList{"--port", "0", "--database", "sqlite:///nonexistent/x.db"} << "does not exist";
    QTest::addRow("unknown option") << QStringList{"--colour"} << "colour";
    QTest::addRow("missing config file") << QStringList{"--config", "/nonexistent.ini"} << "does not exist";
}

void TestKavcall::serverRefusesABadStart()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QProcess server;
    server.start(kBinDir + "kavserver", arguments);
    QVERIFY(server.waitForFinished(kProcessTimeoutMs));
    QCOMPARE(server.exitCode(), 1);
    const QString err = QString::fromUtf8(server.readAllStandardError());
    QVERIFY2(err.contains(message), qPrintable(err));
}

void TestKavcall::sigtermStopsTheServerCleanlyWithOneLogLinePerCall()
{
    QCOMPARE(kavcall({"Zve41300.rdmNutriCard", "GetPesqPeriodoCard", kCentral, kMenuType}).status, 0);
    QCOMPARE(kavcall({"Zve41300.rdmNutriCard", "Encerra"}).status, 1);
    ::kill(pid_t(m_server.processId()), SIGTERM);
    QVERIFY(m_server.waitForFinished(kProcessTimeoutMs));
    QCOMPARE(m_server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_server.exitCode(), 0);
    const QStringList log =
        QString::fromUtf8(m_server.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    const QStringList periods = log.filter("Zve41300.rdmNutriCard.GetPesqPeriodoCard");
    QCOMPARE(periods.size(), 1);
    QVERIFY(periods[0].contains(QRegularExpression("^\\S+Z 127\\.0\\.0\\.1:\\d+ \\S+ \\d+ ms ok$")));
    const QStringList refused = log.filter("Zve41300.rdmNutriCard.Encerra");
    QCOMPARE(refused.size(), 1);
    QVERIFY(refused[0].contains(QRegularExpression("\\d+ ms error -32601")));
    QVERIFY(log.last().contains("kavserver stopped"));
}

QTEST_GUILESS_MAIN(TestKavcall)
#include "tst_kavcall.moc"
