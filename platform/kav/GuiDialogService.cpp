#include "GuiDialogService.h"

#include "CallWait.h"
#include "CheckListDialog.h"
#include "ContentBlindFileDialog.h"
#include "ContentBlindPrintDialog.h"
#include "LookupListDialog.h"
#include "ProgressWindow.h"
#include "WindowTitleRoom.h"

#include <memory>
#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace Kav {

namespace {
QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

// A message box under the application's name, wide enough to show it whole.
int showMessageBox(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons, dialogParent());
    WindowTitleRoom::keepTitleWholeInLayout(box);
    return box.exec();
}
} // namespace

std::optional<int> GuiDialogService::chooseRow(const RowQuestion& question)
{
    LookupListDialog dialog(question.title, question.rows, question.parent);
    if (dialog.exec() != QDialog::Accepted || dialog.currentRow() < 0)
        return std::nullopt;
    return dialog.currentRow();
}

std::optional<QStringList> GuiDialogService::chooseKeys(const KeysQuestion& question)
{
    CheckListDialog dialog(question.title, question.rows, question.checked,
                           question.parent ? question.parent : dialogParent());
    dialog.setNote(question.note);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.checkedKeys();
}

std::optional<PageChoice> GuiDialogService::choosePage(const PageQuestion& question)
{
    return question.askPerson();
}

bool GuiDialogService::edit(const EditQuestion& question)
{
    return question.askPerson();
}

std::optional<QString> GuiDialogService::askText(QWidget* parent, const QString& title, const QString& prompt)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.adjustSize(); // lays the dialog out: its layout is made on first use
    WindowTitleRoom::keepTitleWholeInLayout(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

bool GuiDialogService::choosePrinter(QPrinter& printer, QWidget* parent, const QString& title)
{
    ContentBlindPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(title);
    WindowTitleRoom::keepTitleWhole(dialog);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}

// The pages still being laid out arrive while the person reads the first ones.
std::optional<QString> GuiDialogService::runWindow(QDialog& window, DialogKind, const std::function<bool()>&)
{
    window.exec();
    return std::nullopt;
}

void GuiDialogService::refuseAnswer(const QString& reason)
{
    showError(reason);
}

DialogService::Progress GuiDialogService::progress(QWidget* parent, const QString& title)
{
    auto window = std::make_shared<ProgressWindow>(parent, title);
    return [window](const QString& step, int done, int total) {
        // Work on a call's answer goes on under the call's panel, which counts and cancels it.
        if (CallAnswerHandling* handling = CallAnswerHandling::current();
            handling && handling->answersProgress())
            return handling->keepResponding();
        return window->show(step, done, total);
    };
}

void GuiDialogService::present(MessageKind kind, const QString& text)
{
    const auto icon = kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::Information;
    showMessageBox(icon, text, QMessageBox::Ok);
}

bool GuiDialogService::answerQuestion(const QString& text)
{
    return showMessageBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

QString GuiDialogService::chooseFile(FilePurpose purpose, QWidget* parent, const QString& caption,
                                     const QString& dir, const QString& filter)
{
    const auto blindPurpose = purpose == FilePurpose::Save ? ContentBlindFileDialog::Purpose::Save
                                                           : ContentBlindFileDialog::Purpose::Open;
    return ContentBlindFileDialog::choose(blindPurpose, parent, caption, dir, filter);
}

} // namespace Kav
