#include "ContentBlindPrintDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>

namespace Kav {

namespace {
// The names Qt's print dialog gives its output file controls.
const QString kOutputFile = QStringLiteral("filename");
const QString kBrowseButton = QStringLiteral("fileBrowser");
const QString kPrinterList = QStringLiteral("printers");
} // namespace

ContentBlindPrintDialog::ContentBlindPrintDialog(QPrinter* printer, QWidget* parent)
    : QPrintDialog(printer, parent)
{
    if (auto* edit = findChild<QLineEdit*>(kOutputFile)) {
        replaceCompleter(*edit);
        replaceBrowseButton(*edit);
    }
}

ContentBlindPrintDialog::~ContentBlindPrintDialog()
{
    for (const QPointer<QFileSystemModel>& list : std::as_const(m_fileLists))
        delete list.data();
}

void ContentBlindPrintDialog::replaceCompleter(QLineEdit& edit)
{
    const QPointer<QCompleter> qtCompleter = edit.completer();
    const QPointer<QFileSystemModel> qtFiles =
        qtCompleter ? qobject_cast<QFileSystemModel*>(qtCompleter->model()) : nullptr;
    if (!qtFiles)
        return;
    auto* files = new QFileSystemModel(&edit);
    files->setIconProvider(&m_provider); // before it lists anything
    files->setRootPath(QDir::homePath());
    m_fileLists.append(files);
    edit.setCompleter(new QCompleter(files, &edit));
    // Qt's list stops its thread when it goes.
    delete qtCompleter.data();
    delete qtFiles.data();
}

void ContentBlindPrintDialog::replaceBrowseButton(QLineEdit& edit)
{
    auto* browse = findChild<QAbstractButton*>(kBrowseButton);
    if (!browse)
        return;
    disconnect(browse, &QAbstractButton::clicked, nullptr, nullptr);
    connect(browse, &QAbstractButton::clicked, this, [this, &edit] {
        const QString chosen = ContentBlindFileDialog::choose(ContentBlindFileDialog::Purpose::Save, this,
                                                              QStringLiteral("Imprimir em arquivo"),
                                                              edit.text(), QStringLiteral("PDF (*.pdf)"));
        if (chosen.isEmpty())
            return;
        edit.setText(chosen);
        // Printing to a file is the last entry of the printer list.
        if (auto* printers = findChild<QComboBox*>(kPrinterList))
            printers->setCurrentIndex(printers->count() - 1);
    });
}

} // namespace Kav
