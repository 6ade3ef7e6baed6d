// The screen's report after the application server restarted under it, on the embedded SQLite
// database. The host loses its POSIX locks on the database files when any other descriptor on
// them is opened and closed (a file dialog listing their folder did so); a server that stops
// then believes it is the last user and deletes the WAL and shared-memory files, and a
// connection left on them reads a dead snapshot: the report came out empty, without a word.
// Here the host process does exactly that, and the next report is complete.
#include "Cli_Zve41300.h"
#include "dtmDBGeral.h"
#include "Events.h"
#include "ScreenDriver.h"
#include "ScreenEnvironment.h"
#include "TBtnPesquisa.h"
#include "TDateEditPlus.h"
#include "TestClientContext.h"
#include "TfrmNutriCard.h"
#include "TNetConnection.h"
#include "TSpeedButton.h"

#include <optional>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>

namespace {
const QString kCentral = QStringLiteral("0010");
const QString kEnsinoFundamental = QStringLiteral("0000000003");
const QString kMarch = QStringLiteral("0000000003");
constexpr int kToolTimeoutMs = 60000;

// Opens and closes each database file through a descriptor of its own, as a file dialog that
// guesses types from contents does: the process's POSIX locks on those files are gone.
void touchThroughAnotherDescriptor(const QString& databaseFile)
{
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        QFile file(databaseFile + suffix);
        if (file.open(QIODevice::ReadOnly)) {
            file.read(64);
            file.close();
        }
    }
}

// Holds the shared connection open with a snapshot read, as a command running does.
void readThroughTheSharedConnection()
{
    QSqlQuery query(dtmDBGeral::database());
    QVERIFY(query.exec(QStringLiteral("SELECT COUNT(*) FROM FILIAL")) && query.next());
}
} // namespace

class TstNutriCardRestart : public QObject
{
    Q_OBJECT

    ScreenEnvironment env;
    QString notReady;
    ScreenDriver screen;
    TfrmNutriCard* form = nullptr;
    // Each test's own: its session, answers and messages; ended after its form.
    std::optional<TestClientContext> context;
    QString pdftotext;

    QString databaseFile() const { return env.folder() + QStringLiteral("/demo.db"); }

    void chooseCriteria()
    {
        screen.chooseTypeAndPeriod(form, kEnsinoFundamental, kMarch);
        QVERIFY(!form->depIniPeriodo->text().isEmpty());
    }

    // Prints the report to a PDF file and gives it back as text.
    QString printedReport(const QString& name)
    {
        const QString pdf = env.folder() + QLatin1Char('/') + name;
        screen.answerFile(pdf);
        form->sbtPrint->Click();
        if (!ScreenDriver::messages().isEmpty())
            return ScreenDriver::messages().join(QStringLiteral(" / "));
        QProcess reader;
        reader.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        if (!reader.waitForFinished(kToolTimeoutMs))
            return QStringLiteral("pdftotext did not finish");
        return QString::fromUtf8(reader.readAllStandardOutput());
    }

    static void verifyComplete(const QString& report)
    {
        QVERIFY2(report.contains(QStringLiteral("Tipo de cardápio: 0000000003 - Ensino fundamental")),
                 qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("Banana prata")), qPrintable(report));
        QVERIFY2(!report.contains(QStringLiteral("(0 dias)")), qPrintable(report));
    }

private slots:
    void initTestCase()
    {
        notReady = env.start(true);
        pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (notReady.isEmpty() && pdftotext.isEmpty())
            notReady = QStringLiteral("pdftotext (poppler-utils) is not installed");
    }

    void init()
    {
        context.emplace();
        KAV_REQUIRE_SCREEN_ENVIRONMENT(notReady);
        env.openSharedConnection();
        env.logIn(kCentral);
        form = screen.open();
        QVERIFY(form);
        ScreenDriver::clearMessages();
        chooseCriteria();
    }

    void cleanup()
    {
        ScreenDriver::close();
        form = nullptr;
        context.reset();
    }

    // Between commands: the locks are lost while the user browses, the server restarts while
    // the screen waits, then the user prints.
    void reportAfterRestartBetweenCommandsIsComplete()
    {
        verifyComplete(printedReport(QStringLiteral("before.pdf")));
        Kav::runHandler([this] {
            readThroughTheSharedConnection();
            touchThroughAnotherDescriptor(databaseFile());
        });
        QCOMPARE(env.restartServer(), QString());
        // The screen notices the server's close while it waits for the user.
        QTRY_VERIFY(!form->netNutriCard->Connected());
        verifyComplete(printedReport(QStringLiteral("after.pdf")));
    }

    // Within one command: the connection is held open across the lost locks and the restart,
    // and the report that follows in the same command still reads the server's new data.
    void reportAfterRestartWithinACommandIsComplete()
    {
        QString report;
        QString restarted;
        Kav::runHandler([&] {
            readThroughTheSharedConnection();
            touchThroughAnotherDescriptor(databaseFile());
            restarted = env.restartServer();
            QTRY_VERIFY(!form->netNutriCard->Connected()); // as while a dialog of the command is open
            report = printedReport(QStringLiteral("within.pdf"));
        });
        QCOMPARE(restarted, QString());
        QVERIFY2(ScreenDriver::messages().isEmpty(), qPrintable(ScreenDriver::messages().join(" / ")));
        verifyComplete(report);
    }

    // Data the server prepared that this client cannot read is an error, not an empty report.
    void missingPreparedDataIsAnError()
    {
        env.proxy().rewriteNextAnswer("CriaNutriCard", [](QJsonObject& result) {
            QJsonArray value = result.value("value").toArray();
            value[0] = QStringLiteral("0000000404");
            result.insert("value", value);
        });
        screen.answerFile(env.folder() + QStringLiteral("/missing.pdf"));
        form->sbtPrint->Click();
        QCOMPARE(ScreenDriver::messages().size(), 1);
        QVERIFY2(ScreenDriver::messages().constFirst().contains(QStringLiteral("não foram encontrados")),
                 qPrintable(ScreenDriver::messages().constFirst()));
        QVERIFY(!QFile::exists(env.folder() + QStringLiteral("/missing.pdf")));
        QCOMPARE(ScreenDriver::dialogs().pendingAnswers().size(), 1); // the print never started
    }
};

QTEST_MAIN(TstNutriCardRestart)
#include "tst_nutricardrestart.moc"
