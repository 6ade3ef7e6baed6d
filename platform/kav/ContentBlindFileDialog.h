#pragma once
// The client's file dialog: Qt's own dialog (never the desktop's native one) whose file list
// tells file types by their names alone and never opens a file it lists; its dates are written
// in the client's locale.
//
// Why: opening and closing a file through another descriptor drops every POSIX lock this
// process holds on it. Listing the folder of the embedded database with a dialog that reads
// contents to guess types (the database, its WAL and its shared-memory file) would drop the
// host's SQLite locks, and the next server to stop would delete the WAL under the host.

#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QString>

class QFileDialog;
class QWidget;

namespace Kav {

class ContentBlindIconProvider : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

private:
    QMimeDatabase m_mimes;
};

class ContentBlindFileDialog
{
public:
    enum class Purpose { Save, Open };

    // Shows the dialog modally; the chosen path, or empty when cancelled.
    static QString choose(Purpose purpose, QWidget* parent, const QString& caption, const QString& dir,
                          const QString& filter);

    // Sets up a dialog the caller shows; `provider` must outlive it.
    static void configure(QFileDialog& dialog, Purpose purpose, ContentBlindIconProvider& provider);
};

} // namespace Kav
