// The client's file and print dialogs list a folder without opening the files in it: any open
// and close of a database file through another descriptor would drop the host's SQLite locks on
// it. inotify reports every open of a file in the folder, whoever makes it; a second process
// tells whether the lock is still held. The file list speaks Portuguese.
#include "ContentBlindFileDialog.h"
#include "ContentBlindPrintDialog.h"

#include <QAbstractProxyModel>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPrinter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Names of the files (not folders) opened in one folder while it watches.
class OpenWatch
{
public:
    explicit OpenWatch(const QString& folder)
        : m_fd(::inotify_init1(IN_NONBLOCK)),
          m_watch(::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN))
    {}
    ~OpenWatch() { ::close(m_fd); }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    bool isWatching() const { return m_fd >= 0 && m_watch >= 0; }

    QStringList openedFiles() const
    {
        QStringList names;
        alignas(inotify_event) std::array<char, 4096> buffer{};
        ssize_t length = 0;
        while ((length = ::read(m_fd, buffer.data(), buffer.size())) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                if (event->len > 0 && !(event->mask & IN_ISDIR))
                    names << QString::fromUtf8(event->name);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    int m_fd;
    int m_watch;
};

// A database in WAL mode with its companion files, as the embedded database's folder holds.
void makeDatabaseFiles(const QString& folder)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
        db.setDatabaseName(folder + QStringLiteral("/demo.db"));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE T (C INTEGER)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("maker"));
    for (const char* companion : {"demo.db-wal", "demo.db-shm"}) {
        QFile file(folder + QLatin1Char('/') + QLatin1String(companion));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(64, '\x37'));
    }
}

// Shows the dialog on the folder in its detailed view, where each file's type is drawn, and
// waits until the folder is listed and painted.
void listFolder(QFileDialog& dialog, const QString& folder)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    auto* model = dialog.findChild<QFileSystemModel*>();
    QVERIFY(model);
    QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
    dialog.setDirectory(folder);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(loaded.count() > 0 || loaded.wait());
    const QModelIndex root = model->index(folder);
    QTRY_COMPARE(model->rowCount(root), 3);
    for (int row = 0; row < model->rowCount(root); ++row) {
        for (int column = 0; column < model->columnCount(root); ++column) {
            model->data(model->index(row, column, root), Qt::DisplayRole);
            model->data(model->index(row, column, root), Qt::DecorationRole);
        }
    }
    dialog.grab();
}

// Where SQLite takes its shared lock on a database file (the lock byte page's shared range).
constexpr off_t kSqliteSharedFirst = 0x40000002;
constexpr off_t kSqliteSharedSize = 510;

// Whether a process holds SQLite's shared lock on `file`, as another process sees it (a
// process never sees its own locks). The child only asks and exits.
bool sharedLockHeld(const QString& file)
{
    const QByteArray path = QFile::encodeName(file);
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(path.constData(), O_RDONLY);
        struct flock probe = {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = kSqliteSharedFirst;
        probe.l_len = kSqliteSharedSize;
        const bool held = fd >= 0 && ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
        ::_exit(held ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A connection in the middle of a read, holding the shared lock, as the host's is while it reads.
class ReadingConnection
{
public:
    explicit ReadingConnection(const QString& file)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
            db.setDatabaseName(file);
            db.open();
            QSqlQuery setup(db);
            setup.exec(QStringLiteral("CREATE TABLE T (C INTEGER)"));
            setup.exec(QStringLiteral("INSERT INTO T VALUES (1)"));
            setup.exec(QStringLiteral("INSERT INTO T VALUES (2)"));
            m_read = std::make_unique<QSqlQuery>(db);
            m_read->exec(QStringLiteral("BEGIN"));
            m_read->exec(QStringLiteral("SELECT C FROM T"));
            m_read->next(); // a row still to come: the statement stays open
        }
    }
    ~ReadingConnection()
    {
        m_read.reset();
        QSqlDatabase::database(kName, false).close();
        QSqlDatabase::removeDatabase(kName);
    }

private:
    const QString kName = QStringLiteral("reader");
    std::unique_ptr<QSqlQuery> m_read;
};

} // namespace

class TstFileDialog : public QObject
{
    Q_OBJECT

private slots:
    void listingADatabaseFolderOpensNoFile()
    {
        QTemporaryDir folder;
        makeDatabaseFiles(folder.path());
        OpenWatch watch(folder.path());
        QVERIFY(watch.isWatching());

        Kav::ContentBlindIconProvider provider;
        QFileDialog dialog;
        Kav::ContentBlindFileDialog::configure(dialog, Kav::ContentBlindFileDialog::Purpose::Save, provider);
        listFolder(dialog, folder.path());
        QCOMPARE(watch.openedFiles(), QStringList());
    }

    // The watch is able to see what it guards against: Qt's dialog as it comes reads the files
    // to tell their types.
    void plainDialogOpensTheFilesItLists()
    {
        QTemporaryDir folder;
        makeDatabaseFiles(folder.path());
        OpenWatch watch(folder.path());
        QFileDialog dialog;
        listFolder(dialog, folder.path());
        QVERIFY(!watch.openedFiles().isEmpty());
    }

    void typesAreToldByNameAlone()
    {
        Kav::ContentBlindIconProvider provider;
        QTemporaryDir folder;
        QFile pdf(folder.filePath(QStringLiteral("relatorio.pdf")));
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.write("not a pdf at all");
        pdf.close();
        QVERIFY(provider.type(QFileInfo(pdf.fileName())).contains(QStringLiteral("PDF")));
    }

    // The list says "Pasta" and writes dates as the client does, not as the C locale does.
    void listSpeaksTheClientsLanguage()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        QTemporaryDir folder;
        makeDatabaseFiles(folder.path());
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("relatorios")));
        const QDateTime modified = QFileInfo(folder.filePath(QStringLiteral("demo.db"))).lastModified();

        Kav::ContentBlindIconProvider provider;
        QFileDialog dialog;
        Kav::ContentBlindFileDialog::configure(dialog, Kav::ContentBlindFileDialog::Purpose::Save, provider);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.setDirectory(folder.path());
        dialog.show();
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        const QModelIndex root = model->index(folder.path());
        QTRY_COMPARE(model->rowCount(root), 4);
        QAbstractProxyModel* shown = dialog.proxyModel();
        QVERIFY(shown);
        const auto cell = [&](const QString& name, int column) {
            const QModelIndex source = model->index(folder.filePath(name));
            return shown->mapFromSource(source.siblingAtColumn(column)).data().toString();
        };
        QTRY_COMPARE(cell(QStringLiteral("relatorios"), 2), QStringLiteral("Pasta"));
        QCOMPARE(cell(QStringLiteral("demo.db"), 3), QLocale().toString(modified, QLocale::ShortFormat));
        QVERIFY2(cell(QStringLiteral("demo.db"), 3).contains(modified.toString(QStringLiteral("dd/MM/yyyy"))),
                 qPrintable(cell(QStringLiteral("demo.db"), 3)));
        QLocale::setDefault(QLocale::c());
    }

    void printDialogKeepsTheDatabaseLock_data()
    {
        QTest::addColumn<bool>("contentBlind");
        QTest::addRow("the client's print dialog") << true;
        // The checks can see what they guard against: Qt's dialog as it comes.
        QTest::addRow("Qt's print dialog as it comes") << false;
    }

    // A person types a path into the print dialog's output box, in the folder of the database
    // the host is reading: the box's completion lists that folder.
    void printDialogKeepsTheDatabaseLock()
    {
        QFETCH(bool, contentBlind);
        QTemporaryDir folder;
        const QString database = folder.filePath(QStringLiteral("demo.db"));
        ReadingConnection reader(database);
        QFile note(folder.filePath(QStringLiteral("leia.txt")));
        QVERIFY(note.open(QIODevice::WriteOnly));
        note.close();
        QVERIFY(sharedLockHeld(database));
        OpenWatch watch(folder.path());
        QVERIFY(watch.isWatching());

        QPrinter printer;
        std::unique_ptr<QPrintDialog> dialog =
            contentBlind ? std::make_unique<Kav::ContentBlindPrintDialog>(&printer, nullptr)
                         : std::make_unique<QPrintDialog>(&printer, nullptr);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        QVERIFY(printers);
        printers->setCurrentIndex(printers->count() - 1); // to a PDF file
        auto* output = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        QVERIFY(output && output->isEnabled() && output->completer());
        output->setFocus();
        output->clear();
        const QString typed = folder.path() + QStringLiteral("/d");
        QTest::keyClicks(output, typed);
        // What the completion asks of the box's file list: the folder's files, their types and icons.
        auto* files = qobject_cast<QFileSystemModel*>(output->completer()->model());
        QVERIFY(files);
        const QModelIndex root = files->index(folder.path());
        files->fetchMore(root);
        QTRY_COMPARE(files->rowCount(root), 2);
        for (int row = 0; row < files->rowCount(root); ++row) {
            for (int column = 0; column < files->columnCount(root); ++column) {
                files->data(files->index(row, column, root), Qt::DisplayRole);
                files->data(files->index(row, column, root), Qt::DecorationRole);
            }
        }
        QTest::qWait(200); // the list's own thread has finished with the folder
        dialog->reject();
        dialog.reset();

        const QStringList opened = watch.openedFiles();
        if (contentBlind) {
            QCOMPARE(opened, QStringList());
            QVERIFY(sharedLockHeld(database));
        } else {
            QVERIFY(opened.contains(QStringLiteral("demo.db")));
            QVERIFY(!sharedLockHeld(database));
        }
    }
};

QTEST_MAIN(TstFileDialog)
#include "tst_filedialog.moc"
