#include "SaveFileDialog.h"

#include "SaveFileName.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

namespace Kav {

namespace {

QLineEdit* nameField(const QFileDialog& dialog)
{
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

} // namespace

SaveFileDialog::SaveFileDialog(QWidget* parent, const QString& caption, const QString& folder,
                               const QString& filter)
    : QFileDialog(parent, caption, folder, filter)
{
    connect(this, &QFileDialog::filterSelected, this, &SaveFileDialog::followChosenType);
}

void SaveFileDialog::followChosenType(const QString& filter)
{
    QLineEdit* name = nameField(*this);
    const QStringList endings = SaveFileName::endingsOf(filter);
    if (!name || endings.isEmpty())
        return;
    const QString ending = QFileInfo(name->text()).suffix();
    if (ending.isEmpty() || endings.contains(ending.toLower()) ||
        SaveFileName::settled(name->text(), nameFilters(), filter) != name->text())
        return; // no ending, or one no type offers: settled on accepting
    name->setText(name->text().chopped(ending.size()) + endings.constFirst());
}

void SaveFileDialog::accept()
{
    const QStringList files = selectedFiles();
    const QString path = files.isEmpty() ? QString() : files.constFirst();
    const QFileInfo info(path);
    // A folder typed or picked is opened, as Qt does; the folder shown itself means no name.
    if (info.isDir() && QDir(path) != directory()) {
        QFileDialog::accept();
        return;
    }
    const QString refusal = SaveFileName::refusal(info.isDir() ? QString() : path);
    if (!refusal.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), refusal);
        return;
    }
    const QString settled = SaveFileName::settled(path, nameFilters(), selectedNameFilter());
    if (settled != path)
        completeTypedName(path, settled);
    QFileDialog::accept();
}

void SaveFileDialog::completeTypedName(const QString& path, const QString& settled)
{
    // Qt leaves the name being typed alone while it has the focus, so the ending goes straight
    // into the name field.
    QLineEdit* name = nameField(*this);
    if (name && path.endsWith(name->text()))
        name->setText(name->text() + settled.mid(path.size()));
    else
        selectFile(settled);
}

} // namespace Kav
