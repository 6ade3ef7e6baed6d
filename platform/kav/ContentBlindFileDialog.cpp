#include "ContentBlindFileDialog.h"

#include "SaveFileDialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QMimeType>

#include <memory>

namespace Kav {

namespace {

// The column where Qt's file list shows when a file was last changed.
constexpr int kModifiedColumn = 3;

// Qt's file list writes dates in the system's locale (the C locale's "7 Dec 2026" on a machine
// set to none); this one writes them in the client's locale, as every other date it shows.
class LocalDates : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || index.column() != kModifiedColumn || !files)
            return QIdentityProxyModel::data(index, role);
        const QDateTime modified = files->lastModified(mapToSource(index));
        return modified.isValid() ? QLocale().toString(modified, QLocale::ShortFormat) : QString();
    }
};

} // namespace

QIcon ContentBlindIconProvider::icon(const QFileInfo& info) const
{
    if (info.isDir())
        return QFileIconProvider::icon(QAbstractFileIconProvider::Folder);
    const QIcon themed =
        QIcon::fromTheme(m_mimes.mimeTypeForFile(info, QMimeDatabase::MatchExtension).iconName());
    return themed.isNull() ? QFileIconProvider::icon(QAbstractFileIconProvider::File) : themed;
}

QString ContentBlindIconProvider::type(const QFileInfo& info) const
{
    // Qt's own word for a folder is not in its Portuguese translation.
    if (info.isDir())
        return QStringLiteral("Pasta");
    if (!info.isFile())
        return QFileIconProvider::type(info); // drives and links are told without reading
    const QMimeType mime = m_mimes.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

void ContentBlindFileDialog::configure(QFileDialog& dialog, Purpose purpose,
                                       ContentBlindIconProvider& provider)
{
    // The native dialog runs in this process too and reads contents to show types.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&provider);
    dialog.setProxyModel(new LocalDates(&dialog));
    dialog.setAcceptMode(purpose == Purpose::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(purpose == Purpose::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
}

QString ContentBlindFileDialog::choose(Purpose purpose, QWidget* parent, const QString& caption,
                                       const QString& dir, const QString& filter)
{
    ContentBlindIconProvider provider; // outlives the dialog that uses it
    std::unique_ptr<QFileDialog> dialog = purpose == Purpose::Save
                                              ? std::make_unique<SaveFileDialog>(parent, caption, dir, filter)
                                              : std::make_unique<QFileDialog>(parent, caption, dir, filter);
    configure(*dialog, purpose, provider);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().constFirst();
}

} // namespace Kav
