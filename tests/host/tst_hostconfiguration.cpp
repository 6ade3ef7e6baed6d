#include "HostConfiguration.h"
#include "InstallLayout.h"
#include "KavException.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Kav::Host;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
}

} // namespace

class HostConfigurationTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    HostDefaults m_defaults;

    HostConfiguration resolve(const QStringList& options, const QStringList& variables = {})
    {
        QProcessEnvironment environment;
        for (const QString& variable : variables)
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        return HostConfiguration::resolve(QStringList{"kavhost"} + options, environment, m_defaults);
    }

private slots:
    void init()
    {
        m_defaults = HostDefaults::find(m_dir.filePath("nowhere/bin"), m_dir.filePath("data"),
                                        m_dir.filePath("config"));
        QFile::remove(m_defaults.configFile);
    }

    void nothingGivenUsesTheDefaults()
    {
        const HostConfiguration config = resolve({});
        QCOMPARE(config.filial, QStringLiteral("0010"));
        QCOMPARE(config.serverHost, QStringLiteral("127.0.0.1"));
        QCOMPARE(config.serverPort, 8211);
        QCOMPARE(config.databaseUrl, "sqlite://" + m_dir.filePath("data/demo.db"));
        QVERIFY(config.configFile.isEmpty());
        QVERIFY(config.scriptFile.isEmpty());
    }

    // Shipped data is found beside the program, as installed; a source checkout above the program
    // (here with an installed copy inside it) is never looked at.
    void defaultsComeFromBesideTheProgramNotFromACheckout()
    {
        const QString checkout = m_dir.filePath("checkout");
        writeFile(checkout + "/run", "#!/bin/sh\n");
        writeFile(checkout + "/CMakeLists.txt", "\n");
        QDir().mkpath(checkout + "/stage/usr/bin");
        const HostDefaults defaults =
            HostDefaults::find(checkout + "/stage/usr/bin", m_dir.filePath("data"), {});
        QCOMPARE(defaults.databaseUrl, "sqlite://" + m_dir.filePath("data/demo.db"));
        QCOMPARE(defaults.reportsDir, checkout + "/stage/usr/share/kav/reports");
    }

    // Installed, the packages have their own folder; in the build tree they sit beside the host.
    void packagesAreInTheirInstalledFolderOrBesideTheProgram()
    {
        const QString prefix = m_dir.filePath("prefix");
        QDir().mkpath(prefix + "/bin");
        QCOMPARE(Kav::InstallLayout::packagesDir(prefix + "/bin"), prefix + "/bin");
        QDir().mkpath(prefix + "/lib/kav/packages");
        QCOMPARE(Kav::InstallLayout::packagesDir(prefix + "/bin"), prefix + "/lib/kav/packages");
    }

    // Each value: the INI file, then the environment, then the option, the last given winning.
    void laterSourcesOverrideEarlierOnes_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QString>("filial");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("database");
        const QString ini = m_dir.filePath("kav.ini");
        QTest::addRow("ini only") << QStringList{"--config", ini} << QStringList{} << "0001"
                                  << "10.0.0.5:9000"
                                  << "postgresql://kav:kav@db:5432/kav";
        QTest::addRow("environment over ini")
            << QStringList{"--config", ini} << QStringList{"KAV_FILIAL=0002", "KAV_SERVER=envhost:7000"}
            << "0002"
            << "envhost:7000"
            << "postgresql://kav:kav@db:5432/kav";
        QTest::addRow("options over environment")
            << QStringList{"--config",     ini,          "--filial",          "0003", "--server",
                           "opthost:7100", "--database", "sqlite:///tmp/x.db"}
            << QStringList{"KAV_FILIAL=0002", "KAV_SERVER=envhost:7000", "KAV_DATABASE=sqlite:///tmp/y.db"}
            << "0003"
            << "opthost:7100"
            << "sqlite:///tmp/x.db";
        QTest::addRow("KAV_CONFIG names the file")
            << QStringList{} << QStringList{"KAV_CONFIG=" + ini} << "0001"
            << "10.0.0.5:9000"
            << "postgresql://kav:kav@db:5432/kav";
        QTest::addRow("option without port keeps the port")
            << QStringList{"--config", ini, "--server", "outro"} << QStringList{} << "0001"
            << "outro:9000"
            << "postgresql://kav:kav@db:5432/kav";
        QTest::addRow("a list of servers, in the order given")
            << QStringList{"--config", ini, "--server", "a:7001, b"} << QStringList{} << "0001"
            << "a:7001,b:9000:9000"
            << "postgresql://kav:kav@db:5432/kav";
        QTest::addRow("a list in KAV_SERVER")
            << QStringList{} << QStringList{"KAV_SERVER=[::1]:7001,c:7002"} << "0010"
            << "[::1]:7001,c:7002:8211"
            << "sqlite://" + m_dir.filePath("data/demo.db");
        QTest::addRow("bracketed IPv6 address")
            << QStringList{"--server", "[::1]:8300"} << QStringList{} << "0010"
            << "::1:8300"
            << "sqlite://" + m_dir.filePath("data/demo.db");
    }
    void laterSourcesOverrideEarlierOnes()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, variables);
        QFETCH(QString, filial);
        QFETCH(QString, server);
        QFETCH(QString, database);
        writeFile(m_dir.filePath("kav.ini"), "[Session]\nFilial=0001\n[Server]\nHost=10.0.0.5\nPort=9000\n"
                                             "[Database]\nUrl=postgresql://kav:kav@db:5432/kav\n");
        const HostConfiguration config = resolve(options, variables);
        QCOMPARE(config.filial, filial);
        QCOMPARE(config.serverHost + ':' + QString::number(config.serverPort), server);
        QCOMPARE(config.databaseUrl, database);
    }

    // Unquoted commas make a list in an INI file; the file's port serves entries without one.
    void iniHostMayListServers()
    {
        writeFile(m_dir.filePath("list.ini"), "[Server]\nHost=app1:8300, app2\nPort=8400\n");
        const HostConfiguration config = resolve({"--config", m_dir.filePath("list.ini")});
        QCOMPARE(config.serverHost, QStringLiteral("app1:8300,app2:8400"));
        QCOMPARE(config.session().webUrl, QStringLiteral("app1:8300,app2:8400"));
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, resolve({"--server", "a:1,,b:2"}));
    }

    void defaultConfigFileIsReadWhenPresent()
    {
        writeFile(m_defaults.configFile, "[Session]\nFilial=0042\n");
        const HostConfiguration config = resolve({});
        QCOMPARE(config.filial, QStringLiteral("0042"));
        QCOMPARE(config.configFile, QFileInfo(m_defaults.configFile).absoluteFilePath());
    }

    void iniPathsAreRelativeToTheFile()
    {
        writeFile(m_dir.filePath("etc/kav.ini"), "[Reports]\nDir=layouts\nUserDir=/srv/editados\n"
                                                 "[Server]\nTrustedCertificate=certs/server.pem\n");
        const HostConfiguration config = resolve({"--config", m_dir.filePath("etc/kav.ini")});
        QCOMPARE(config.reportsDir, m_dir.filePath("etc/layouts"));
        QCOMPARE(config.userReportsDir, QStringLiteral("/srv/editados"));
        QCOMPARE(config.serverCertificate, m_dir.filePath("etc/certs/server.pem"));
        const HostConfiguration overridden =
            resolve({"--config", m_dir.filePath("etc/kav.ini"), "--reports", "/opt/reports"});
        QCOMPARE(overridden.reportsDir, QStringLiteral("/opt/reports"));
    }

    void sessionCarriesTheConfiguration()
    {
        const Kavenso::Session session =
            resolve({"--filial", "0007", "--server", "srv:8400", "--reports", "/r"}).session();
        QCOMPARE(session.filial, QStringLiteral("0007"));
        QCOMPARE(session.webUrl, QStringLiteral("srv"));
        QCOMPARE(session.webPort, 8400);
        QCOMPARE(session.reportsDir, QStringLiteral("/r"));
    }

    void badInputIsRefused_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QString>("errorContains");
        QTest::addRow("named config missing")
            << QStringList{"--config", "/nonexistent/kav.ini"} << QStringList{} << "not found";
        QTest::addRow("KAV_CONFIG missing")
            << QStringList{} << QStringList{"KAV_CONFIG=/nonexistent/kav.ini"} << "not found";
        QTest::addRow("port not a number")
            << QStringList{"--server", "host:abc"} << QStringList{} << "host:abc";
        QTest::addRow("port zero") << QStringList{"--server", "host:0"} << QStringList{} << "--server";
        QTest::addRow("port too big") << QStringList{"--server", "host:70000"} << QStringList{} << "70000";
        QTest::addRow("no host") << QStringList{"--server", ":8211"} << QStringList{} << ":8211";
        QTest::addRow("IPv6 without brackets") << QStringList{"--server", "::1"} << QStringList{} << "::1";
        QTest::addRow("unclosed bracket") << QStringList{"--server", "[::1:8211"} << QStringList{} << "[::1";
        QTest::addRow("empty port") << QStringList{"--server", "host:"} << QStringList{} << "host:";
        QTest::addRow("bad server in environment")
            << QStringList{} << QStringList{"KAV_SERVER=x:-1"} << "KAV_SERVER";
        QTest::addRow("unknown option") << QStringList{"--filal", "0010"} << QStringList{} << "filal";
        QTest::addRow("option without value") << QStringList{"--filial"} << QStringList{} << "filial";
        QTest::addRow("stray argument") << QStringList{"demo.kscript"} << QStringList{} << "demo.kscript";
        QTest::addRow("timeout not a number")
            << QStringList{} << QStringList{"KAV_SERVER_TIMEOUT=um minuto"} << "um minuto";
        QTest::addRow("timeout zero")
            << QStringList{} << QStringList{"KAV_SERVER_TIMEOUT=0"} << "Server/Timeout";
    }

    void serverTimeoutIsInSeconds()
    {
        QCOMPARE(resolve({}).serverTimeoutMs(), 0); // the client's default
        QCOMPARE(resolve({}, {"KAV_SERVER_TIMEOUT=45"}).serverTimeoutMs(), 45000);
        writeFile(m_dir.filePath("tempo.ini"), "[Server]\nTimeout=20\n");
        QCOMPARE(resolve({"--config", m_dir.filePath("tempo.ini")}).serverTimeoutMs(), 20000);
    }
    void badInputIsRefused()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, variables);
        QFETCH(QString, errorContains);
        try {
            resolve(options, variables);
            QFAIL("the configuration should have been refused");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains(errorContains), qPrintable(error.message()));
        }
    }

    void badServerInIniNamesTheFile()
    {
        writeFile(m_dir.filePath("porta.ini"), "[Server]\nPort=porta\n");
        try {
            resolve({"--config", m_dir.filePath("porta.ini")});
            QFAIL("the configuration should have been refused");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains("porta.ini"), qPrintable(error.message()));
        }
    }
};

QTEST_GUILESS_MAIN(HostConfigurationTest)
#include "tst_hostconfiguration.moc"
