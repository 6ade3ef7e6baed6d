// The client's file dialog lists a folder without opening the files in it: any open and close
// of a database file through another descriptor would drop the host's SQLite locks on it.
// inotify reports every open of a file in the folder, whoever makes it.
#include "ContentBlindFileDialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <sys/inotify.h>
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
};

QTEST_MAIN(TstFileDialog)
#include "tst_filedialog.moc"
