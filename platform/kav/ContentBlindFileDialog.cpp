#include "ContentBlindFileDialog.h"

#include "SaveFileDialog.h"

#include <QFileDialog>
#include <QMimeType>

#include <memory>

namespace Kav {

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
    if (!info.isFile())
        return QFileIconProvider::type(info); // folders, drives and links are told without reading
    const QMimeType mime = m_mimes.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

void ContentBlindFileDialog::configure(QFileDialog& dialog, Purpose purpose,
                                       ContentBlindIconProvider& provider)
{
    // The native dialog runs in this process too and reads contents to show types.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&provider);
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
