#include "HostMainWindow.h"
#include "KavException.h"
#include "PackageLoader.h"
#include "TestClientContext.h"

#include <QAction>
#include <QFile>
#include <QLibrary>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Kav::Host;

class PackageLoaderTest : public QObject
{
    Q_OBJECT
private:
    static int callCount()
    {
        QLibrary probe(QStringLiteral(TEST_PACKAGE_DIR "/PkgHostTest"));
        const auto count = reinterpret_cast<int (*)()>(probe.resolve("CallCount"));
        return count ? count() : -1;
    }
    // The context the package held when its entry last ran.
    static const Kav::ClientContext* contextAtEntry()
    {
        QLibrary probe(QStringLiteral(TEST_PACKAGE_DIR "/PkgHostTest"));
        const auto held = reinterpret_cast<const Kav::ClientContext* (*)()>(probe.resolve("ContextAtEntry"));
        return held ? held() : nullptr;
    }

private slots:
    void entryIsCalledEachTimeAndPackageStaysLoaded()
    {
        const int before = callCount();
        TestClientContext first;
        {
            PackageLoader loader(first.context(), QStringLiteral(TEST_PACKAGE_DIR));
            loader.callEntry(QStringLiteral("PkgHostTest"), "IniProc");
            loader.callEntry(QStringLiteral("PkgHostTest"), "IniProc");
            QVERIFY(loader.isLoaded(QStringLiteral("PkgHostTest")));
            QCOMPARE(contextAtEntry(), &first.context());
        }
        // A second loader reaches the same, still loaded, package: its count went on, and the
        // entry works for the second loader's client.
        TestClientContext second;
        PackageLoader again(second.context(), QStringLiteral(TEST_PACKAGE_DIR));
        again.callEntry(QStringLiteral("PkgHostTest"), "IniProc");
        QCOMPARE(callCount(), before + 3);
        QCOMPARE(contextAtEntry(), &second.context());
    }

    void failuresCarryTheReason_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("reasonContains");
        QTest::addRow("missing package") << "Pkg_Ausente"
                                         << "IniProc"
                                         << "Pkg_Ausente";
        QTest::addRow("package with an unresolved symbol") << "PkgHostBroken"
                                                           << "IniProc"
                                                           << "functionNoLibraryDefines";
        QTest::addRow("missing entry") << "PkgHostTest"
                                       << "NoSuchEntry"
                                       << "NoSuchEntry";
        QTest::addRow("standard exception") << "PkgHostTest"
                                            << "ThrowsStd"
                                            << "broken entry";
        QTest::addRow("own exception passes unchanged") << "PkgHostTest"
                                                        << "ThrowsKav"
                                                        << "Filial não encontrada.";
        QTest::addRow("anything else") << "PkgHostTest"
                                       << "ThrowsInt"
                                       << "ThrowsInt of PkgHostTest failed";
    }
    void failuresCarryTheReason()
    {
        QFETCH(QString, package);
        QFETCH(QString, entry);
        QFETCH(QString, reasonContains);
        TestClientContext context;
        PackageLoader loader(context.context(), QStringLiteral(TEST_PACKAGE_DIR));
        try {
            loader.callEntry(package, entry.toLatin1().constData());
            QFAIL("the call should have failed");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains(reasonContains), qPrintable(error.message()));
        }
    }

    void manifestIsCheckedBeforeTheEntry_data()
    {
        // A copy of the test package with the manifest of each row beside it, opened by a host
        // serving the interfaces 2 to 3.
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<QString>("refusal");
        const auto manifest = [](const char* name, int interface) {
            return QStringLiteral(R"({"name": "%1", "version": "4.2", "hostInterface": %2})")
                .arg(QLatin1String(name))
                .arg(interface)
                .toUtf8();
        };
        QTest::addRow("oldest served") << manifest("PkgHostTest", 2) << QString();
        QTest::addRow("current") << manifest("PkgHostTest", 3) << QString();
        QTest::addRow("older")
            << manifest("PkgHostTest", 1)
            << "O pacote PkgHostTest (versão 4.2) foi feito para a interface 1 do kavhost, "
               "anterior às que este kavhost atende (2 a 3)";
        QTest::addRow("newer")
            << manifest("PkgHostTest", 4)
            << "O pacote PkgHostTest (versão 4.2) exige a interface 4 do kavhost, mais nova "
               "que a 3 deste kavhost. Atualize o kavhost.";
        QTest::addRow("missing") << QByteArray() << "falta o seu manifesto";
        QTest::addRow("another package's") << manifest("PkgOutro", 3) << "é do pacote PkgOutro";
        QTest::addRow("without interface")
            << QByteArray(R"({"name": "PkgHostTest", "version": "4.2"})") << "não traz o nome, a versão";
        QTest::addRow("not JSON") << QByteArray("name=PkgHostTest") << "não traz o nome, a versão";
    }
    void manifestIsCheckedBeforeTheEntry()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString package = QStringLiteral("PkgHostTest");
        QVERIFY(QFile::copy(QStringLiteral(TEST_PACKAGE_DIR "/libPkgHostTest.so"),
                            dir.filePath("libPkgHostTest.so")));
        if (!manifest.isEmpty()) {
            QFile file(dir.filePath(package + ".json"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(manifest);
        }
        TestClientContext context;
        PackageLoader loader(context.context(), dir.path(), HostInterface{2, 3});
        QString message;
        try {
            loader.callEntry(package, "IniProc");
        } catch (const Kav::Exception& error) {
            message = error.message();
        }
        if (refusal.isEmpty()) {
            QVERIFY2(message.isEmpty(), qPrintable(message));
            QVERIFY(loader.isLoaded(package));
        } else {
            QVERIFY2(message.contains(refusal), qPrintable(message));
            // Refused before anything of it was loaded into the process.
            QVERIFY(!loader.isLoaded(package));
            QFile maps(QStringLiteral("/proc/self/maps"));
            QVERIFY(maps.open(QIODevice::ReadOnly));
            QVERIFY(!maps.readAll().contains(dir.path().toUtf8()));
        }
    }

    void menuShowsLoaderReasonForMissingPackage()
    {
        QTemporaryDir empty;
        TestClientContext context;
        auto& dialogs = context.dialogs();
        HostMainWindow window(context.context(), empty.path(), QString());
        QAction* entry = nullptr;
        for (QAction* menu : window.menuBar()->actions()) {
            for (QAction* action : menu->menu()->actions()) {
                if (action->text() == QStringLiteral("Nutrientes do Cardápio"))
                    entry = action;
            }
        }
        QVERIFY(entry);
        entry->trigger();
        QCOMPARE(dialogs.shownMessages().size(), 1);
        QVERIFY2(dialogs.shownMessages().first().contains(QStringLiteral("Pkg_Zve41300")),
                 qPrintable(dialogs.shownMessages().first()));
    }

    void activeAndOpenFormsFollowTheMdiArea()
    {
        TestClientContext context;
        HostMainWindow window{context.context(), QString(), QString()};
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.activeForm(), nullptr);

        auto* first = new QWidget;
        first->setObjectName(QStringLiteral("frmPrimeiro"));
        auto* second = new QWidget;
        second->setObjectName(QStringLiteral("frmSegundo"));
        window.mdiArea()->addSubWindow(first)->show();
        QMdiSubWindow* secondWindow = window.mdiArea()->addSubWindow(second);
        secondWindow->show();
        window.mdiArea()->setActiveSubWindow(secondWindow);
        QCOMPARE(window.openForms().size(), 2);
        QCOMPARE(window.activeForm(), second);

        window.closeActiveForm();
        QCOMPARE(window.openForms(), QList<QWidget*>{first});
        QCOMPARE(window.activeForm(), first);

        // Closing the host closes the forms first.
        QVERIFY(window.close());
        QVERIFY(window.openForms().isEmpty());
    }

    void formThatRefusesToCloseKeepsTheHostOpen()
    {
        class Stubborn : public QWidget
        {
        protected:
            void closeEvent(QCloseEvent* event) override { event->ignore(); }
        };
        TestClientContext context;
        HostMainWindow window{context.context(), QString(), QString()};
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.mdiArea()->addSubWindow(new Stubborn)->show();
        QVERIFY(!window.close());
        QCOMPARE(window.openForms().size(), 1);
    }
};

QTEST_MAIN(PackageLoaderTest)
#include "tst_packageloader.moc"
