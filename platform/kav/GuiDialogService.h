#pragma once
// The dialog service of a person at the screen: message boxes, Qt's dialogs, the report
// engine's windows run modally, a progress window for long work.

#include "DialogService.h"

namespace Kav {

class GuiDialogService : public DialogService
{
    Q_OBJECT
public:
    std::optional<int> chooseRow(const RowQuestion& question) override;
    std::optional<QStringList> chooseKeys(const KeysQuestion& question) override;
    std::optional<PageChoice> choosePage(const PageQuestion& question) override;
    bool edit(const EditQuestion& question) override;
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt) override;
    bool choosePrinter(QPrinter& printer, QWidget* parent, const QString& title) override;
    std::optional<QString> runWindow(QDialog& window, DialogKind kind,
                                     const std::function<bool()>& complete) override;
    void refuseAnswer(const QString& reason) override;
    Progress progress(QWidget* parent, const QString& title) override;

protected:
    void present(MessageKind kind, const QString& text) override;
    bool answerQuestion(const QString& text) override;
    QString chooseFile(FilePurpose purpose, QWidget* parent, const QString& caption, const QString& dir,
                       const QString& filter) override;
};

} // namespace Kav
