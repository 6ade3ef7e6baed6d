#pragma once
// Qt's print dialog, made as blind to file contents as the client's file dialog (see
// ContentBlindFileDialog for why): the output file box completes names from a file list that
// tells types by names alone, and its browse button opens the content-blind file dialog. Qt's
// own list and file dialog would open every file of the folders they show, the embedded
// database's among them, and so drop the host's locks on it.

#include "ContentBlindFileDialog.h"

#include <QList>
#include <QPointer>
#include <QPrintDialog>

class QFileSystemModel;
class QLineEdit;

namespace Kav {

class ContentBlindPrintDialog : public QPrintDialog
{
    Q_OBJECT
public:
    ContentBlindPrintDialog(QPrinter* printer, QWidget* parent);
    // The file lists go before the icon provider they ask.
    ~ContentBlindPrintDialog() override;

private:
    void replaceCompleter(QLineEdit& edit);
    void replaceBrowseButton(QLineEdit& edit);

    ContentBlindIconProvider m_provider;
    QList<QPointer<QFileSystemModel>> m_fileLists;
};

} // namespace Kav
