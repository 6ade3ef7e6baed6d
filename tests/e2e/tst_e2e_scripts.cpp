// The real host, package, database and application server together, driven by scripts.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kToolTimeoutMs = 120000;
constexpr int kServerStartMs = 15000;
constexpr int kScriptTimeoutMs = 180000;
const QString kPackage = QStringLiteral("Pkg_Zve41300");

QString binary(const QString& name)
{
    return QStringLiteral(KAV_BINARY_DIR "/bin/") + name;
}

bool onCi()
{
    return qgetenv("CI") == "true";
}

struct Outcome
{
    int exitCode = -1;
    QString output;
};

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_databaseUrl;
    QProcess m_server;
    int m_port = 0;
    QString m_missing;

    bool runTool(const QStringList& arguments, QString* output)
    {
        QProcess tool;
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(binary(QStringLiteral("kavdb")), arguments);
        const bool finished = tool.waitForFinished(kToolTimeoutMs);
        *output = QString::fromUtf8(tool.readAll());
        return finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    }

    Outcome runHost(const QString& script, const QStringList& extra = {})
    {
        QProcess host;
        host.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("KAV_CONFIG"), m_dir.filePath(QStringLiteral("empty.ini")));
        // Layouts the machine's user saved would join the screen's list.
        environment.insert(QStringLiteral("KAV_USER_REPORTS"),
                           m_dir.filePath(QStringLiteral("user-reports")));
        host.setProcessEnvironment(environment);
        host.start(binary(QStringLiteral("kavhost")),
                   QStringList{"--script", script, "--database", m_databaseUrl, "--server",
                               QStringLiteral("127.0.0.1:%1").arg(m_port), "--reports",
                               QStringLiteral(KAV_SOURCE_DIR "/reports"), "--filial", "0010"} +
                       extra);
        if (!host.waitForFinished(kScriptTimeoutMs))
            host.kill();
        host.waitForFinished();
        return {host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1,
                QString::fromUtf8(host.readAll())};
    }

    void requireParts()
    {
        if (m_missing.isEmpty())
            return;
        if (onCi())
            QFAIL(qPrintable(m_missing));
        QSKIP(qPrintable(m_missing));
    }

private slots:
    void initTestCase()
    {
        QStringList absent;
        for (const QString& program :
             {QStringLiteral("kavhost"), QStringLiteral("kavdb"), QStringLiteral("kavserver"),
              QStringLiteral("lib") + kPackage + QStringLiteral(".so")}) {
            if (!QFileInfo::exists(binary(program)))
                absent.append(program);
        }
        if (!absent.isEmpty()) {
            m_missing = QStringLiteral("not built yet: %1").arg(absent.join(", "));
            return;
        }
        QFile empty(m_dir.filePath(QStringLiteral("empty.ini")));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();

        m_databaseUrl = QStringLiteral("sqlite://") + m_dir.filePath(QStringLiteral("demo.db"));
        QString output;
        QVERIFY2(runTool({"create", m_databaseUrl}, &output), qPrintable(output));
        QVERIFY2(runTool({"demo", m_databaseUrl}, &output), qPrintable(output));

        // The server picks a free port and says which.
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(binary(QStringLiteral("kavserver")), {"--database", m_databaseUrl, "--port", "0"});
        static const QRegularExpression listening(QStringLiteral("listening on [^ ]*:([0-9]+)"));
        QString log;
        QDeadlineTimer deadline(kServerStartMs);
        while (m_port == 0 && !deadline.hasExpired() && m_server.state() != QProcess::NotRunning) {
            m_server.waitForReadyRead(100);
            log += QString::fromUtf8(m_server.readAll());
            if (const auto match = listening.match(log); match.hasMatch())
                m_port = match.captured(1).toInt();
        }
        QVERIFY2(m_port > 0, qPrintable("kavserver did not start: " + log));
    }

    void cleanupTestCase()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
        m_server.waitForFinished();
    }

    void scriptPasses_data()
    {
        QTest::addColumn<QString>("script");
        const QDir folder(QStringLiteral(KAV_TEST_DIR));
        for (const QString& name : folder.entryList({QStringLiteral("*.kscript")}, QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << folder.filePath(name);
    }
    void scriptPasses()
    {
        requireParts();
        QFETCH(QString, script);
        const Outcome outcome = runHost(script);
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.output));
        QVERIFY2(outcome.output.contains(QStringLiteral("every expectation held")),
                 qPrintable(outcome.output));
    }

    // The demo ./run shows; copied so that its reports land in the test's folder.
    void demoScriptPasses()
    {
        requireParts();
        const QString copy = m_dir.filePath(QStringLiteral("demo/demo.kscript"));
        QVERIFY(QDir().mkpath(QFileInfo(copy).absolutePath()));
        // ./run makes the folder the demo prints into, beside the script's folder.
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("var/demo"))));
        QFile::remove(copy);
        QVERIFY(QFile::copy(QStringLiteral(KAV_SOURCE_DIR "/docs/demo.kscript"), copy));
        const Outcome outcome = runHost(copy);
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.output));
    }

    // The demo report printed to PDF through the screen, read back as text: the dishes are there,
    // and the breakfast fruit of Friday 07/03/2025 is 80 g of banana (TACO 182, 98 kcal per
    // 100 g), 78.4 kcal for the dish and for the day, since only the breakfast fruits are shown.
    void demoReportPrintsToPdf()
    {
        requireParts();
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty()) {
            if (onCi())
                QFAIL("pdftotext (poppler-utils) is not installed");
            QSKIP("pdftotext (poppler-utils) is not installed");
        }
        const QString copy = m_dir.filePath(QStringLiteral("report/demo_print.kscript"));
        QVERIFY(QDir().mkpath(QFileInfo(copy).absolutePath()));
        QFile::remove(copy);
        QVERIFY(QFile::copy(QStringLiteral(KAV_TEST_DIR "/report/demo_print.kscript"), copy));
        const Outcome outcome = runHost(copy);
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.output));

        QProcess reader;
        reader.start(pdftotext,
                     {QStringLiteral("-layout"), m_dir.filePath(QStringLiteral("report/demo-report.pdf")),
                      QStringLiteral("-")});
        QVERIFY(reader.waitForFinished(kToolTimeoutMs));
        const QString text = QString::fromUtf8(reader.readAllStandardOutput());
        for (const char* expected :
             {"Nutrientes do Cardápio", "Central de alimentação: 0010 - Cozinha Central Norte",
              "Tipo de cardápio: 0000000003 - Ensino fundamental", "Período: 01/03/2025 a 31/03/2025",
              "Desjejum", "Banana prata", "Maçã"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        // Lunch was not asked for: none of its dishes is there.
        QVERIFY(!text.contains(QStringLiteral("Almoço")));
        const qsizetype day = text.indexOf(QStringLiteral("07/03/2025"));
        QVERIFY(day >= 0);
        const QString friday = text.mid(day, text.indexOf(QStringLiteral("Total do dia"), day) - day);
        const QString total = text.mid(day + friday.size()).section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(friday.contains(QStringLiteral("Banana prata")), qPrintable(friday));
        const QString bananaLine =
            friday.mid(friday.indexOf(QStringLiteral("Banana prata"))).section('\n', 0, 0);
        QVERIFY2(bananaLine.contains(QStringLiteral("78,4")), qPrintable(bananaLine));
        QVERIFY2(total.contains(QStringLiteral("78,4")), qPrintable(total));
    }

    void failingExpectationNamesItsLine()
    {
        requireParts();
        const QString script = m_dir.filePath(QStringLiteral("failing.kscript"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# the screen is open after its entry runs, so the second line fails\n"
                   "open Pkg_Zve41300\n"
                   "expect form frmNutriCard closed\n"
                   "close\n");
        file.close();
        const Outcome outcome = runHost(script);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.output.contains(QStringLiteral("line 3 (expect form frmNutriCard closed)")),
                 qPrintable(outcome.output));
        QVERIFY2(outcome.output.contains(QStringLiteral("it is open")), qPrintable(outcome.output));
    }

    void screenPicture()
    {
        requireParts();
        const QString picture = m_dir.filePath(QStringLiteral("screen.png"));
        const Outcome outcome =
            runHost(QStringLiteral(KAV_TEST_DIR "/picture/screen.kscript"), {"--grab", picture});
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.output));
        const QImage image(picture);
        QVERIFY2(!image.isNull(), qPrintable(outcome.output));
        // The main window holds the whole form.
        QVERIFY(image.width() > 490 && image.height() > 376);
        if (qEnvironmentVariableIsSet("KAV_UPDATE_SCREENSHOT")) {
            const QString target = QStringLiteral(KAV_SOURCE_DIR "/docs/screen.png");
            QFile::remove(target);
            QVERIFY(QFile::copy(picture, target));
        }
    }

    // The preview window as the host shows it, taken by the window itself from the script.
    void previewPicture()
    {
        requireParts();
        const QString copy = m_dir.filePath(QStringLiteral("picture/preview.kscript"));
        QVERIFY(QDir().mkpath(QFileInfo(copy).absolutePath()));
        QFile::remove(copy);
        QVERIFY(QFile::copy(QStringLiteral(KAV_TEST_DIR "/picture/preview.kscript"), copy));
        const Outcome outcome = runHost(copy);
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.output));
        const QString picture = m_dir.filePath(QStringLiteral("picture/preview.png"));
        const QImage image(picture);
        QVERIFY2(!image.isNull(), qPrintable(outcome.output));
        if (qEnvironmentVariableIsSet("KAV_UPDATE_SCREENSHOT")) {
            const QString target = QStringLiteral(KAV_SOURCE_DIR "/docs/preview.png");
            QFile::remove(target);
            QVERIFY(QFile::copy(picture, target));
        }
    }
};

QTEST_MAIN(EndToEndTest)
#include "tst_e2e_scripts.moc"
