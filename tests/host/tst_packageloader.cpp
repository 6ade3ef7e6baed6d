#include "HostMainWindow.h"
#include "KavException.h"
#include "PackageLoader.h"
#include "TestClientContext.h"

#include <QAction>
#include <QLibrary>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

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
